#pragma once
// The project file ".ddn" (and the older ".ddt", read only): the 576-byte
// project header, then one record per offer. These functions work on bytes;
// the main window moves them between its controls and the tender state.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/SysUtils.h"
#include "tender/Uglo.h"

// Where the first record of a project file with a header lies.
constexpr int ProjectRecordsOffset = 756;
// Bytes a project reader takes in: the header, 500 records and room to
// spare; a larger file is no project.
constexpr Int64 MaxProjectFileSize = Int64{1} << 20;

// A name read as an old ".ddt" file: its last character, upper-cased, is "T".
bool IsOldProjectFileName(const AnsiString& fileName);

// The file: the header, the 180 bytes the save never fills (zeros), and the
// records in the order given; the header alone when there are no records.
std::string EncodeProjectFile(const TProjectHeader& header, std::span<const OfferRecord> offers);

// A save killed half way leaves its temporary files beside the targets,
// and one stopped between its renames its journal too: when the project is
// opened or saved such a save of its ".ddn", ".pry" and ".csv" is completed
// and the temporaries go. The text is what the user is told of a save that
// could not be completed, naming its files; empty otherwise.
AnsiString RemoveProjectLeftovers(const AnsiString& projectFileName);

// Whether the file a project's budget name finds ignoring case is another
// project's: its name differs from BudgetFileName in more than the
// extension's case, and a project file of the folder (".ddn", ".ddt") bears
// its name exactly. Such a budget is neither read as this project's nor
// written over: this project's budget is a file of its own name.
bool BudgetOfAnotherProject(const AnsiString& budgetFileName);

enum class TProjectReadStatus {
  Ok,
  // Fewer whole records than the header counts, or a partial record at the
  // end: the whole records are read.
  Cut,
  // Cut inside its header, or no project: nothing is read.
  Damaged,
};

struct TProjectFileData {
  // The first 576 bytes with the "!" marker; otherwise the header is the
  // zeroed one, whose options are read as 0.
  bool HasHeader = false;
  TProjectHeader Header;
  // At most 500; a partial record at the end is left out.
  std::vector<OfferRecord> Offers;
  TProjectReadStatus Status = TProjectReadStatus::Ok;
  // The offers the header counts; -1 when it does not say.
  int PromisedOffers = -1;
};
TProjectFileData DecodeProjectFile(std::string_view bytes, bool oldFormat);
// What the user is told of a project that is not Ok, naming the file.
AnsiString ProjectReadMessage(const AnsiString& fileName, const TProjectFileData& data);

// The header's option bytes as the reader applies them: an empty optional
// is a byte holding "!", which leaves its setting as it is.
struct TProjectOptions {
  Integer CalcMode = 0;
  int ProjectType = 0;  // 0..2
  std::optional<Byte> CostDecimals;
  std::optional<Byte> DiscountDecimals;
  std::optional<Byte> ExtraDecimalsA;
  std::optional<Byte> ExtraDecimalsB;
  std::optional<Byte> HalfDown;
  std::optional<Byte> OverheadIsExpression;
  std::optional<Byte> ContingencyFlag;
  std::optional<Byte> AsphaltFlag;
  // The two guarantee percentages, when all of bytes 568 to 570 are set.
  std::optional<double> InitialGuarantee;
  std::optional<double> GuaranteeLimit;
};
TProjectOptions ReadProjectOptions(const TProjectHeader& header);

// The discount text of a stored record: "0" for none, else the rounded
// discount with the discount decimals, "*" before it for a marked offer
// (whose "@" leaves the remark).
AnsiString StoredDiscountText(OfferRecord& offer, int discountDecimals, Byte numberStyle);

// The header's date text: in the locale's short format, else as day, month
// and year separated by "/", "." or "-". False when it is none of these.
bool ReadHeaderDate(const AnsiString& text, TDateTime& date);

// What the project index shows of a file's first bytes: date, the two
// descriptions on one line each, the indicative total and the number of
// offers (shown only when byte 556 is 0 or 1). Fewer than 576 bytes give
// empty texts.
struct TIndexRow {
  AnsiString Date, ProjectText, ServiceText, IndicativeTotal, Offers;
};
TIndexRow IndexRowOf(std::string_view headerBytes);
