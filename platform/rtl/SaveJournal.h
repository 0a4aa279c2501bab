#pragma once
// The journal of a safe write of several files: which files that save
// writes and what each holds (its size and a check sum), so that a save
// stopped between its renames can be completed, or told, at the next look.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct TSaveJournalEntry {
  // The file's name in the journal's folder, as on disk (UTF-8).
  std::string Name;
  std::uint64_t Size = 0;
  std::uint64_t Sum = 0;
};

// The check sum a journal keeps of a file's bytes; a file read in parts
// passes the sum of the parts before.
constexpr std::uint64_t SaveJournalSumStart = 14695981039346656037ull;
std::uint64_t SaveJournalSum(std::string_view bytes, std::uint64_t sum = SaveJournalSumStart);
std::string EncodeSaveJournal(const std::vector<TSaveJournalEntry>& entries);
// Nothing for a journal cut short, damaged or not one: its save never
// renamed a file, since a journal is whole on disk before the first rename.
// Names are plain names of the folder: never empty, "." or "..", nor
// holding a "/".
std::optional<std::vector<TSaveJournalEntry>> DecodeSaveJournal(std::string_view bytes);
// The most files one journal lists, and its largest size.
constexpr std::size_t MaxSaveJournalEntries = 16;
constexpr std::size_t MaxSaveJournalSize = 16 * 1024;
