// PL_RTF: a page layout that writes an RTF document instead of spool pages. Callers use it
// as they use PL (headers, font sizes, XY, OUT, FORMFEED, CLOSE): every row becomes an RTF
// table row with fixed cell widths and borders, a numeric OUT a blank paragraph, and a page
// break goes wherever the printed layout would begin a new page.
//
// Units: 56.7 twips and 5.67 half-points per millimetre. Texts are written as Windows-1252
// bytes; "\", "{" and "}" in a text are escaped so that a name holding them cannot break the
// document, and CR LF inside a cell becomes a new paragraph.
#pragma once

#include "print/pl.h"

#include <string>

namespace lysora {

// The messages of the writer, in the caller's language.
struct RtfMessages {
    std::string createFailed = "Impossible de créer le fichier";
    std::string writeFailed = "Impossible d'écrire le fichier";
    std::string title = "Erreur";
};

class PL_RTF : public PL {
public:
    // INIT: creates (truncates) file and writes the document head. OK stays false when the
    // file could not be created; the failure has been shown and nothing more is written.
    PL_RTF(WIN* owner, std::string file, bool landscape, bool autoHeight = false, RtfMessages messages = {});
    ~PL_RTF() override;

    // Writes the end of the document and closes the file; false (and shown) when any write
    // of the document failed, the cut file then removed.
    bool CLOSE() override;
    bool RTF() const override { return true; }

    bool OK = false;

protected:
    void _PAGE_END() override;
    void _OUT(double gap) override;
    void _OUT(const Row& row, bool fixed) override;
    using PL::_OUT;

private:
    void Line(const std::string& text);
    std::string CellText(const CELL& cell) const;

    std::string path_;
    std::FILE* out_ = nullptr;
    bool autoHeight_ = false;
    RtfMessages messages_;
};

} // namespace lysora
