// Test helper: a page drawer that keeps the figures and cells of each page, so that a
// chart's geometry can be checked without a metafile.
#pragma once

#include "print/pl.h"

#include <memory>
#include <string>
#include <vector>

namespace lysora::testing {

struct Figure {
    enum Kind { Line, Rectangle, Text, VerticalText } kind = Line;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0; // page coordinates: y down, as the chart speaks
    std::string text;
    int font_height = 0, escapement = 0;
    std::uint32_t fill = 0xFFFFFF;
};

struct ChartPages {
    std::vector<std::vector<Figure>> figures;
    std::vector<std::vector<CellBox>> cells;
    std::vector<Figure> Of(std::size_t page, Figure::Kind kind) const
    {
        std::vector<Figure> found;
        for (const Figure& f : figures.at(page))
            if (f.kind == kind)
                found.push_back(f);
        return found;
    }
    std::vector<std::string> Texts(std::size_t page) const
    {
        std::vector<std::string> texts;
        for (const CellBox& cell : cells.at(page))
            texts.push_back(cell.text);
        return texts;
    }
};

class ChartRecorder final : public PageDrawer {
public:
    explicit ChartRecorder(std::shared_ptr<ChartPages> out) : out_(std::move(out)) {}
    bool Begin() override
    {
        out_->figures.emplace_back();
        out_->cells.emplace_back();
        return true;
    }
    void Draw(const CellBox& cell) override { out_->cells.back().push_back(cell); }
    std::vector<unsigned char> End() override { return {'p'}; }
    void Line(int x1, int y1, int x2, int y2) override { Add(Make(Figure::Line, x1, y1, x2, y2)); }
    void Rectangle(int x1, int y1, int x2, int y2) override
    {
        Figure f = Make(Figure::Rectangle, x1, y1, x2, y2);
        f.fill = fill_;
        Add(f);
    }
    void Fill(std::optional<std::uint32_t> rgb) override { fill_ = rgb.value_or(0xFFFFFF); }
    void Text(const TextRun& run) override { AddText(Figure::Text, run); }
    void VerticalText(const TextRun& run) override { AddText(Figure::VerticalText, run); }
    // A stand-in measure: every character half as wide as the font is high.
    int TextLength(const TextRun& run) override { return int(run.text.size()) * run.font_height / 2; }

private:
    static Figure Make(Figure::Kind kind, int x1, int y1, int x2, int y2)
    {
        Figure f;
        f.kind = kind;
        f.x1 = x1;
        f.y1 = -y1;
        f.x2 = x2;
        f.y2 = -y2;
        return f;
    }
    void Add(const Figure& f) { out_->figures.back().push_back(f); }
    void AddText(Figure::Kind kind, const TextRun& run)
    {
        Figure f = Make(kind, run.x, run.y, 0, 0);
        f.text = run.text;
        f.font_height = run.font_height;
        f.escapement = run.font_escapement;
        Add(f);
    }
    std::shared_ptr<ChartPages> out_;
    std::uint32_t fill_ = 0xFFFFFF;
};

} // namespace lysora::testing
