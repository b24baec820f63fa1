// Test helper: a page drawer that keeps every cell it is asked to draw, page by page, and
// gives each page as bytes a text listing its cells (so pages differ in size).
#pragma once

#include "print/pl.h"

#include <memory>
#include <string>
#include <vector>

namespace lysora::testing {

struct RecordedPages {
    std::vector<std::vector<CellBox>> pages;
    // The texts of page i (0-based), in drawing order.
    std::vector<std::string> Texts(std::size_t i) const
    {
        std::vector<std::string> texts;
        for (const CellBox& cell : pages.at(i))
            texts.push_back(cell.text);
        return texts;
    }
};

class RecordingDrawer final : public PageDrawer {
public:
    explicit RecordingDrawer(std::shared_ptr<RecordedPages> out) : out_(std::move(out)) {}
    bool Begin() override
    {
        out_->pages.emplace_back();
        return true;
    }
    void Draw(const CellBox& cell) override { out_->pages.back().push_back(cell); }
    std::vector<unsigned char> End() override
    {
        std::string text = "page " + std::to_string(out_->pages.size()) + ":";
        for (const CellBox& cell : out_->pages.back())
            text += cell.text + ";";
        return {text.begin(), text.end()};
    }

private:
    std::shared_ptr<RecordedPages> out_;
};

// A page layout drawing into pages (recorded in *pages).
inline std::unique_ptr<PL> RecordingLayout(std::shared_ptr<RecordedPages>& pages, bool landscape = false)
{
    pages = std::make_shared<RecordedPages>();
    return std::make_unique<PL>(nullptr, "Document", landscape, std::make_unique<RecordingDrawer>(pages));
}

} // namespace lysora::testing
