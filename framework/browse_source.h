// The answers a browse field gives its control: records of a table selection, named by
// their record numbers, in the selection's order and key range, and the texts of their
// cells through the columns' domains. Portable, so that the host build tests and times it.
//
// Answering never moves the selection's current record: each answer works from the record
// asked about and puts the selection back where it was.
//
// The scroll thumb stands for a record's rank in the order. Ranks come from a sampled map
// of the order (every kSampleStep-th record and the count), made with long skips, so that a
// thumb drag on a table of hundreds of thousands of records costs one short skip; the ranks
// of the records answered since are remembered, which places the thumb after a move, and a
// record of unknown rank is counted back to the nearest sampled one. The
// map is made again after a commit and when it is older than kSampleLifeMs, so records
// added or removed by another copy of the program move the thumb only until then; the rows
// shown are always read from the table as it stands.
#pragma once

#include "data/dbsel.h"
#include "data/domain.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace lysora {

class BrowseSource {
public:
    static constexpr long kSampleStep = 512;
    static constexpr int kSampleLifeMs = 2000;
    static constexpr int kThumbRange = 1024;
    static constexpr std::size_t kCellMax = 100;

    struct Column {
        Symbol field;
        DomPtr dom; // none: the value's plain text
    };

    BrowseSource(DBSEL& selection, std::vector<Column> columns);

    // Record numbers; 0 for none.
    std::int32_t GoTop();
    std::int32_t GoBottom();
    // The record n steps from record in the order, 0 beyond either end of the key range.
    std::int32_t Skip(long n, std::int32_t record);
    // The record at thumb position 0 ... kThumbRange.
    std::int32_t Thumb(int position);
    // The thumb position of a record; the last one answered when its rank is unknown.
    int Position(std::int32_t record);
    void Select(std::int32_t record);
    std::int32_t Current() const;
    // The texts of the record's cells, each cut to kCellMax characters.
    std::vector<std::string> Row(std::int32_t record);

    // The table changed: the rank map is made again at the next thumb question.
    void Invalidate();
    DBSEL& Selection() { return selection_; }

private:
    // Runs a movement from the record given (0: none) and answers the record reached, 0
    // when none; the selection goes back to its current record.
    template <class Move>
    std::int32_t Answer(std::int32_t from, Move move);
    void MakeMap();
    bool MapIsFresh() const;
    void Remember(std::int32_t record, long rank);
    // The record's rank in the order: remembered, or counted back to a record of known rank;
    // nothing when the record is gone or no map is made.
    std::optional<long> RankOf(std::int32_t record);
    // The cells of a record the selection stands on, kept a moment for the row question
    // that follows the step question (one movement of the table instead of two).
    std::int32_t Keep(std::int32_t record);
    std::vector<std::string> ReadRow();

    DBSEL& selection_;
    std::vector<Column> columns_;
    std::vector<std::int32_t> samples_; // record at rank k * kSampleStep
    long count_ = 0;
    bool mapped_ = false;
    std::chrono::steady_clock::time_point mappedAt_;
    std::unordered_map<std::int32_t, long> ranks_;
    struct KeptRow {
        std::vector<std::string> texts;
        std::chrono::steady_clock::time_point at;
    };
    std::unordered_map<std::int32_t, KeptRow> kept_;
    static constexpr int kKeptRowMs = 50;
    int lastPosition_ = 0;
    std::int32_t thumbRecord_ = 0; // the record the last thumb move answered
};

} // namespace lysora
