#include <gtest/gtest.h>

#include "tender/ProjectFile.h"
#include "tests/platform/rtl/LocaleScope.h"

namespace {

OfferRecord Offer(const char* name, Word entry, double discount, double amount = 0, const char* remark = "") {
  OfferRecord offer;
  offer.BidderName = name;
  offer.EntryNo = entry;
  offer.RoundedDiscount = offer.Discount = discount;
  offer.Amount = amount;
  offer.Remark = remark;
  return offer;
}

TProjectHeader Header() {
  TProjectHeader header;
  header.ProjectText = "Οδοποιία"_a;
  header.Date = "7/12/2026";
  header.Divisor = 1000;
  header.ResetOptions();
  header.SetOption(TProjectHeader::ProjectTypeByte, 1);
  header.SetOption(TProjectHeader::CostDecimalsByte, 2);
  header.SetOption(TProjectHeader::DiscountDecimalsByte, 3);
  header.StorePercent(TProjectHeader::GuaranteePercent, 5);
  header.StorePercent(TProjectHeader::LimitPercent, 2);
  return header;
}

TEST(ProjectFile, ThreeOffersMake1008BytesAndReadBack) {
  std::vector<OfferRecord> offers{Offer("Α", 1, 12.5), Offer("Β", 2, 0, 900), Offer("Γ", 7, 0)};
  offers[0].Marked = 1;
  const std::string bytes = EncodeProjectFile(Header(), offers);
  ASSERT_EQ(bytes.size(), 1008u);
  EXPECT_EQ(bytes.substr(576, 180), std::string(180, '\0'));
  EXPECT_EQ(bytes[756 + 24 + 51 + 2], 1);  // the remark "@"
  EXPECT_EQ(bytes[756 + 24 + 51 + 3], '@');
  const TProjectFileData data = DecodeProjectFile(bytes, false);
  ASSERT_TRUE(data.HasHeader);
  ASSERT_EQ(data.Offers.size(), 3u);
  EXPECT_EQ(data.Offers[2].EntryNo, 7);
  EXPECT_EQ(data.Offers[1].Amount, 900);
  EXPECT_EQ(EncodeProjectFile(data.Header, data.Offers), bytes);  // write, read, write
  OfferRecord marked = data.Offers[0];
  EXPECT_EQ(StoredDiscountText(marked, 3, 1), "*12.500");
  EXPECT_TRUE(marked.Remark.Empty());
  EXPECT_EQ(marked.Marked, 1);
  OfferRecord voided = data.Offers[2];
  EXPECT_EQ(StoredDiscountText(voided, 3, 1), "0");
}

TEST(ProjectFile, NoOffersMakeTheHeaderAlone) {
  const std::string bytes = EncodeProjectFile(Header(), {});
  ASSERT_EQ(bytes.size(), 576u);
  const TProjectFileData data = DecodeProjectFile(bytes, false);
  EXPECT_TRUE(data.HasHeader);
  EXPECT_TRUE(data.Offers.empty());
}

TEST(ProjectFile, OldFileWithHeaderIs704BytesAndReadsTheSameOffers) {
  std::string bytes(reinterpret_cast<const char*>(EncodeProjectHeader(Header()).data()), 576);
  for (const OfferRecord& offer : {Offer("Α", 1, 10), Offer("Β", 2, 20, 0, "xy")}) {
    const auto record = EncodeOldOfferRecord(offer);
    bytes.append(reinterpret_cast<const char*>(record.data()), record.size());
  }
  ASSERT_EQ(bytes.size(), 704u);
  ASSERT_TRUE(IsOldProjectFileName("a.ddt") && IsOldProjectFileName("A.DDT") &&
              !IsOldProjectFileName("a.ddn"));
  const TProjectFileData data = DecodeProjectFile(bytes, true);
  ASSERT_EQ(data.Offers.size(), 2u);
  EXPECT_EQ(data.Offers[1].BidderName.View(), "Β");
  EXPECT_EQ(data.Offers[1].Remark.View(), "xy");
  EXPECT_EQ(data.Offers[1].Discount, 20);
}

TEST(ProjectFile, ShortOrUnmarkedFilesAreRecordsFromByteZeroWithOptionsZero) {
  const auto record = EncodeOfferRecord(Offer("Α", 3, 5));
  std::string shortFile(reinterpret_cast<const char*>(record.data()), record.size());
  TProjectFileData data = DecodeProjectFile(shortFile, false);
  EXPECT_FALSE(data.HasHeader);
  ASSERT_EQ(data.Offers.size(), 1u);
  EXPECT_EQ(data.Offers[0].EntryNo, 3);
  const TProjectOptions options = ReadProjectOptions(data.Header);
  EXPECT_EQ(options.DiscountDecimals, 0);
  EXPECT_EQ(options.CostDecimals, 0);
  EXPECT_EQ(options.InitialGuarantee, 0.0);

  // 576 bytes or more without the marker: the zeroed header, not its bytes.
  std::string unmarked(672, '\x05');
  data = DecodeProjectFile(unmarked, false);
  EXPECT_FALSE(data.HasHeader);
  EXPECT_EQ(data.Status, TProjectReadStatus::Ok);
  EXPECT_EQ(ReadProjectOptions(data.Header).DiscountDecimals, 0);
  EXPECT_EQ(data.Offers.size(), 672u / 84);
}

TEST(ProjectFile, OptionsReadAndBounded) {
  TProjectHeader header = Header();
  header.StoreOfferCount(256);
  EXPECT_EQ(EncodeProjectHeader(header)[556], 1);
  EXPECT_EQ(EncodeProjectHeader(header)[557], 0);
  EXPECT_EQ(EncodeProjectHeader(header)[567], 1);
  EXPECT_EQ(EncodeProjectHeader(header)[568], 244);
  TProjectOptions options = ReadProjectOptions(header);
  EXPECT_EQ(options.ProjectType, 1);
  EXPECT_EQ(options.DiscountDecimals, 3);
  EXPECT_FALSE(options.ExtraDecimalsA.has_value());  // "!": left as it is
  EXPECT_EQ(*options.InitialGuarantee, 5);
  EXPECT_EQ(*options.GuaranteeLimit, 2);
  EXPECT_EQ(options.AsphaltFlag, 1);  // the guarantee's high byte
  header.SetOption(TProjectHeader::ProjectTypeByte, 9);
  header.SetOption(TProjectHeader::DiscountDecimalsByte, 200);
  options = ReadProjectOptions(header);
  EXPECT_EQ(options.ProjectType, 2);
  EXPECT_EQ(options.DiscountDecimals, 6);
}

TEST(ProjectFile, AtMost500RecordsAndAPartialOneIgnored) {
  std::vector<OfferRecord> offers(503, Offer("x", 1, 1));
  std::string bytes = EncodeProjectFile(Header(), offers) + "abc";
  EXPECT_EQ(DecodeProjectFile(bytes, false).Offers.size(), 500u);
}

}  // namespace

namespace {

TEST(ProjectFile, DatesOfOtherMachinesAreReadLeniently) {
  struct Case {
    const char* text;
    bool ok;
    int y, m, d;
  } cases[] = {{"7/12/2026", true, 2026, 12, 7},
               {"7.12.2026", true, 2026, 12, 7},
               {"07-12-2026", true, 2026, 12, 7},
               {"31/2/2026", false, 0, 0, 0},
               {"abc", false, 0, 0, 0},
               {"1/2/3/4", false, 0, 0, 0},
               {"", false, 0, 0, 0}};
  LocaleScope greek(LocaleScope::Greek);
  for (const Case& c : cases) {
    TDateTime date = 0;
    EXPECT_EQ(ReadHeaderDate(c.text, date), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(date, EncodeDate(c.y, c.m, c.d)) << c.text;
    }
  }
}

}  // namespace

// A project cut short: the whole records, and how many the header promised;
// one cut inside its header, or a file of no records, is damaged and reads
// nothing.
TEST(ProjectFile, CutFilesKeepTheirWholeRecordsAndCountWhatWasPromised) {
  std::vector<OfferRecord> offers;
  for (int i = 1; i <= 500; ++i) offers.push_back(Offer("Β", i, 1));
  TProjectHeader header = Header();
  header.StoreOfferCount(500);
  const std::string full = EncodeProjectFile(header, offers);
  struct Case {
    size_t size;
    TProjectReadStatus status;
    size_t offers;
  };
  const Case cases[] = {
      {full.size(), TProjectReadStatus::Ok, 500}, {full.size() - 10, TProjectReadStatus::Cut, 499},
      {1000, TProjectReadStatus::Cut, 2},         {756, TProjectReadStatus::Cut, 0},
      {576, TProjectReadStatus::Cut, 0},          {560, TProjectReadStatus::Damaged, 0},
      {500, TProjectReadStatus::Damaged, 0},      {504, TProjectReadStatus::Damaged, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    const TProjectFileData data = DecodeProjectFile(std::string_view(full).substr(0, c.size), false);
    EXPECT_EQ(data.Status, c.status);
    EXPECT_EQ(data.Offers.size(), c.offers);
    if (c.status == TProjectReadStatus::Cut) {
      EXPECT_EQ(data.PromisedOffers, 500);
    }
  }
  TProjectFileData data = DecodeProjectFile(std::string_view(full).substr(0, 1000), false);
  EXPECT_EQ(ProjectReadMessage("e.ddn", data),
            "Το αρχείο «e.ddn» είναι κομμένο: η κεφαλίδα του αναφέρει 500 προσφορές και διαβάστηκαν 2.\r"
            "Το αρχείο μένει όπως είναι, εκτός αν αποθηκεύσετε το έργο."_a);
  // Without a header, a partial record says only what was read whole.
  const auto record = EncodeOfferRecord(Offer("Α", 3, 5));
  const std::string one(reinterpret_cast<const char*>(record.data()), record.size());
  data = DecodeProjectFile(one + one, false);
  EXPECT_EQ(data.Status, TProjectReadStatus::Ok);
  EXPECT_EQ(data.Offers.size(), 2u);
  data = DecodeProjectFile(one + one.substr(0, 40), false);
  EXPECT_EQ(data.Status, TProjectReadStatus::Damaged);
  EXPECT_EQ(ProjectReadMessage("e.ddn", data),
            "Το αρχείο «e.ddn» δεν είναι αρχείο έργου ή είναι κομμένο μέσα στην κεφαλίδα του· δεν διαβάστηκε "
            "τίποτα από αυτό."_a);
}
