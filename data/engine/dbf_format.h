// dBASE table (.dbf) and memo (.dbt) formats: header parsing with every count checked
// against the file, the header we write, and the text forms of field values.
//
// Table file (all integers little-endian):
//   offset size  meaning
//   0      1     version: 0x03 dBASE III without memo, 0x83 with a .dbt memo file
//                (0x30/0x31/0xF5/0x8B also read: FoxPro and dBASE IV variants)
//   1      3     date of last update: year - 1900, month, day
//   4      4     number of records
//   8      2     header length: 32 + 32 per field + 1 (terminator), FoxPro adds 263
//   10     2     record length: 1 (deletion flag) + the sum of the field widths
//   12     4     reserved (zero)
//   16     4     change counter (dBASE's multi-user reserved area): this engine adds one
//                at every write, so other processes know their copy is stale
//   20     8     reserved (zero)
//   28     1     table flags: 0x01 a structural compound index (.cdx of the same name)
//                belongs to the table and must be there
//   29     1     code page (language driver): 0x03 Windows ANSI on tables we write
//   30     2     reserved
//   32     32*n  field descriptors:
//                  0  11 name, upper case, NUL-padded
//                  11 1  type letter C N L D M (F read as N)
//                  12 4  (displacement, ignored)   16 1 width   17 1 decimals
//                  (a C field wider than 255 keeps the high byte of its width in byte 17)
//                  18 14 reserved
//   then 0x0D, (FoxPro: 263 bytes of backlink), then the records at the header length:
//   each record is 1 byte ' ' (live) or '*' (deleted) followed by the fields as text:
//     C blank-padded text; N right-aligned number; L 'T'/'F' ('Y'/'N'/'?' read);
//     D "YYYYMMDD" or blanks; M the memo's first block number, right-aligned, 10 wide.
//   After the last record: one 0x1A end-of-file byte.
//
// Memo file (.dbt, dBASE III): 512-byte blocks. Block 0 is the header: bytes 0-3 the next
// free block number, byte 16 the version 0x03. A memo starts at its block and ends at the
// first 0x1A byte (we write 0x1A 0x1A); it never shares a block with another memo.
#pragma once

#include "data/engine/file.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lysora::engine {

struct Field {
    std::string name; // upper case
    char type = 'C';  // C N L D M
    int len = 0;
    int dec = 0;
    int offset = 0; // within the record, the deletion flag being byte 0
};

struct DbfHeader {
    std::uint8_t version = 0x03;
    std::uint32_t records = 0;
    std::uint32_t headerLength = 0;
    std::uint32_t recordLength = 0;
    std::uint32_t changeCounter = 0;
    std::uint8_t flags = 0;
    std::uint8_t codePage = 0x03;
    std::vector<Field> fields;
};

constexpr std::size_t kDbfPrefix = 32;
constexpr std::uint32_t kMaxRecordLength = 65535;
constexpr int kMaxTextWidth = 65000; // a C field's width, with the high byte in byte 17
constexpr std::uint32_t kMaxRecords = 0x3FFFFFFF; // keeps lock offsets and sizes in range
constexpr std::uint8_t kStructuralIndexFlag = 0x01;

// Reads and checks the header of a table file: signature, field descriptors, lengths
// consistent with each other, every counted record inside the file (a table cut short
// is refused rather than read in part). false + error on a bad file. cutCount (repairs):
// a record count larger than the file holds becomes the number of whole records there.
bool ReadDbfHeader(File& file, DbfHeader& header, std::string& error, bool cutCount = false);
// The header bytes (prefix, descriptors, terminator) for header.fields.
std::string BuildDbfHeader(const DbfHeader& header);
// The 32-byte prefix for header (count, date, counter, flags), keeping the bytes of
// current (the prefix as the file has it) that this engine does not own.
std::string DbfPrefix(std::string_view current, const DbfHeader& header);
// Checks a field definition for a new table; "" when valid.
std::string CheckFieldSpec(const std::string& name, char type, int len, int dec);

// Text forms shared by fields and index keys.
double ParseNumber(const char* text, std::size_t len); // leading number; 0 when none
// Str(n, len, dec): right-aligned, "." decimal point, '*' x len when it does not fit.
std::string FormatNumber(double n, int len, int dec);
bool ParseLogical(char c); // T t Y y

// Memo files.
constexpr std::uint32_t kMemoBlock = 512;
constexpr std::uint32_t kMaxMemo = 1u << 24; // longest memo we read, 16 MB
bool ReadMemo(File& dbt, std::uint32_t block, std::string& text, std::string& error);
// The first block a new memo may take: the header's next free block, never below the
// blocks the file holds. Memos are only ever appended there.
bool MemoNextBlock(File& dbt, std::uint32_t& next, std::string& error);
// The blocks holding text as a memo: the text, 0x1A 0x1A, zeros to the end of the block.
std::string MemoBlocks(std::string_view text);
std::string NewMemoFileHeader();

} // namespace lysora::engine
