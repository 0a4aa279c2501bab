#include "platform/rtl/SaveJournal.h"

#include <charconv>

namespace {

// The first field tells what the file is, the last that it is whole.
constexpr std::string_view Mark = "dimoprasia save journal 1";
constexpr std::string_view End = "end";

bool PlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

}  // namespace

std::uint64_t SaveJournalSum(std::string_view bytes, std::uint64_t sum) {
  for (unsigned char c : bytes) sum = (sum ^ c) * 1099511628211ull;
  return sum;
}

std::string EncodeSaveJournal(const std::vector<TSaveJournalEntry>& entries) {
  std::string out(Mark);
  out += '\0';
  for (const TSaveJournalEntry& entry : entries) {
    out += entry.Name;
    out += '\0';
    out += std::to_string(entry.Size);
    out += '\0';
    out += std::to_string(entry.Sum);
    out += '\0';
  }
  out += End;
  out += '\0';
  out += std::to_string(entries.size());
  out += '\0';
  return out;
}

std::optional<std::vector<TSaveJournalEntry>> DecodeSaveJournal(std::string_view bytes) {
  if (bytes.size() > MaxSaveJournalSize) return std::nullopt;
  // Fields end with a NUL; the last field's NUL ends the file.
  std::vector<std::string_view> fields;
  while (!bytes.empty()) {
    const size_t nul = bytes.find('\0');
    if (nul == std::string_view::npos) return std::nullopt;
    fields.push_back(bytes.substr(0, nul));
    bytes.remove_prefix(nul + 1);
  }
  // The mark, three fields a file, the end and the count.
  if (fields.size() < 3 || fields.front() != Mark || (fields.size() - 3) % 3 != 0) return std::nullopt;
  const size_t count = (fields.size() - 3) / 3;
  if (count == 0 || count > MaxSaveJournalEntries || fields[fields.size() - 2] != End) return std::nullopt;
  const auto number = [](std::string_view text, std::uint64_t& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
  };
  std::uint64_t listed = 0;
  if (!number(fields.back(), listed) || listed != count) return std::nullopt;
  std::vector<TSaveJournalEntry> entries(count);
  for (size_t i = 0; i < count; ++i) {
    TSaveJournalEntry& entry = entries[i];
    entry.Name = std::string(fields[1 + 3 * i]);
    if (!PlainName(entry.Name) || !number(fields[2 + 3 * i], entry.Size) ||
        !number(fields[3 + 3 * i], entry.Sum))
      return std::nullopt;
  }
  return entries;
}
