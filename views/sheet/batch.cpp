// The user's batch and the adjustment of a feedstuff's values to it (see batch.h).
#include "views/sheet/batch.h"

#include "base/display_number.h"
#include "base/text.h"

#include <charconv>
#include <cmath>

namespace lysora {
namespace {

// Value-field positions in the eleven cells.
constexpr std::size_t kTB = 0, kE_TB = 1, kTB16G = 2, kDIG_V = 6, kTDIG_V = 8, kE_TDIG_V = 9;
constexpr std::size_t kCells = 11;

// A whole text as a plain number ("38.5", "38,5" with "," as separator); none for anything
// else: blanks inside, a sign, an exponent, a second separator, trailing characters.
std::optional<double> PlainNumber(std::string_view text, char decimalSeparator)
{
    std::string number = AllTrim(text);
    if (decimalSeparator != '.')
        for (char& c : number)
            if (c == decimalSeparator)
                c = '.';
    double value = 0;
    const char* end = number.data() + number.size();
    auto [stop, error] = std::from_chars(number.data(), end, value, std::chars_format::fixed);
    if (number.empty() || error != std::errc() || stop != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool InRange(double value) { return value > 0 && value <= 100; }

// Checks one optional entry: blank gives none, a number in range gives it.
BatchCheck ReadOne(std::string_view text, char decimalSeparator, int field, std::optional<double>& value)
{
    value.reset();
    if (AllTrim(text).empty())
        return {};
    const std::optional<double> number = PlainNumber(text, decimalSeparator);
    if (!number)
        return {"LOTNONNUMERIQUE", field};
    if (!InRange(*number))
        return {"LOTHORSLIMITES", field};
    value = number;
    return {};
}

BatchCheck Check(const Batch& batch)
{
    if (batch.proteine && batch.matiereSeche && *batch.proteine >= *batch.matiereSeche)
        return {"LOTMATSUPMS", 1};
    return {};
}

// Adjusted values keep the decimals the tables store theirs with.
double TwoDecimals(double value)
{
    const double scale = std::pow(10.0, kValueDecimals);
    return std::round(value * scale) / scale;
}

bool Carried(const Value& cell) { return cell.IsNumber(); }
// A cell with a value from a record: carried and not the 0 of a missing record.
bool FromRecord(const Value& cell) { return cell.IsNumber() && cell.Number() != 0; }

} // namespace

BatchCheck ReadBatch(std::string_view proteine, std::string_view matiereSeche, char decimalSeparator, Batch& batch)
{
    Batch read;
    if (BatchCheck check = ReadOne(proteine, decimalSeparator, 1, read.proteine); !check.Ok())
        return check;
    if (BatchCheck check = ReadOne(matiereSeche, decimalSeparator, 2, read.matiereSeche); !check.Ok())
        return check;
    if (BatchCheck check = Check(read); !check.Ok())
        return check;
    batch = read;
    return {};
}

std::string BatchSetting(const Batch& batch)
{
    auto text = [](const std::optional<double>& value) { return value ? FixedText(*value, kValueDecimals) : std::string(); };
    return text(batch.proteine) + ";" + text(batch.matiereSeche);
}

std::optional<Batch> BatchFromSetting(std::string_view setting)
{
    const std::size_t separator = setting.find(';');
    if (separator == std::string_view::npos || setting.find(';', separator + 1) != std::string_view::npos)
        return std::nullopt;
    Batch batch;
    if (!ReadBatch(setting.substr(0, separator), setting.substr(separator + 1), '.', batch).Ok() || batch.Empty())
        return std::nullopt;
    return batch;
}

std::string BatchKey(int matiere) { return "Lot" + std::to_string(matiere); }

std::string BatchNumber(double value, char decimalSeparator)
{
    std::string text = FixedText(value, kValueDecimals);
    for (char& c : text)
        if (c == '.')
            c = decimalSeparator;
    return text;
}

std::string BatchMarker(const Batch& batch, std::string_view lead, std::string_view proteinName,
                        std::string_view dryMatterName, char decimalSeparator)
{
    std::string marker;
    auto add = [&](const std::optional<double>& value, std::string_view name) {
        if (value)
            marker += (marker.empty() ? std::string(lead) + " " : std::string(", ")) + std::string(name) + " " +
                      BatchNumber(*value, decimalSeparator) + " %";
    };
    add(batch.proteine, proteinName);
    add(batch.matiereSeche, dryMatterName);
    return marker;
}

void AdjustToBatch(std::vector<Value>& cells, NutrientKind kind, const Batch& batch, const BatchBasis& basis)
{
    if (cells.size() < kCells || batch.Empty() || !FromRecord(cells[kTB]))
        return;
    const double tableContent = cells[kTB].Number();
    // The as-fed scaling of a batch dry matter, when the table has a dry matter to scale from.
    const std::optional<double> dryMatterRatio =
        batch.matiereSeche && basis.matiereSeche > 0 ? std::optional(*batch.matiereSeche / basis.matiereSeche)
                                                     : std::nullopt;
    std::optional<double> content;
    switch (kind) {
    case NutrientKind::CrudeProtein:
        if (batch.proteine)
            content = *batch.proteine;
        else if (dryMatterRatio)
            content = tableContent * *dryMatterRatio;
        break;
    case NutrientKind::DryMatter:
        content = batch.matiereSeche;
        break;
    case NutrientKind::AminoAcid:
        if (batch.proteine) {
            // The profile predicts the batch's content; without one, the protein ratio does
            // the same where the table's own consistency holds.
            if (FromRecord(cells[kTB16G]))
                content = cells[kTB16G].Number() * *batch.proteine / 100;
            else if (basis.proteine > 0)
                content = tableContent * *batch.proteine / basis.proteine;
        } else if (dryMatterRatio) {
            content = tableContent * *dryMatterRatio;
        }
        break;
    case NutrientKind::OtherContent:
        if (dryMatterRatio)
            content = tableContent * *dryMatterRatio;
        break;
    }
    if (!content)
        return;
    cells[kTB] = Value(TwoDecimals(*content));
    if (Carried(cells[kE_TB]))
        cells[kE_TB] = Value();
    if (Carried(cells[kTDIG_V])) {
        cells[kTDIG_V] = Value(Carried(cells[kDIG_V]) ? TwoDecimals(*content * cells[kDIG_V].Number() / 100) : 0.0);
        if (Carried(cells[kE_TDIG_V]))
            cells[kE_TDIG_V] = Value();
    }
}

} // namespace lysora
