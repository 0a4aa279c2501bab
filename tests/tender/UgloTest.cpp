#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <limits>

#include "tender/Uglo.h"

namespace {

void ExpectStartUpValues() {
  EXPECT_DOUBLE_EQ(NormalHigh, 1.1);
  EXPECT_DOUBLE_EQ(NormalLow, 0.9);
  EXPECT_EQ(BudgetChanged, 0);
  EXPECT_EQ(BudgetRows, 0);
  EXPECT_EQ(HalfDownSwitch, 0);
  EXPECT_EQ(DiscountDecimals, 2);
  EXPECT_EQ(CostDecimals, 0);
  EXPECT_EQ(CalcMode, 0);
  EXPECT_EQ(OverheadIsExpression, 0);
  EXPECT_EQ(ContingencyFlag, 0);
  EXPECT_EQ(AsphaltFlag, 0);
  EXPECT_EQ(ProjectModified, 0);
  EXPECT_EQ(OfferCount, 0);
  EXPECT_TRUE(OverheadExpression.Empty());
  EXPECT_EQ(ContingencyPercent, 0);
  EXPECT_EQ(AsphaltOverheadAmount, 0);
  EXPECT_EQ(BidderDiscountTable.AllocatedCount(), 0);
  EXPECT_EQ(RoundDiscountProc, nullptr);
  EXPECT_EQ(MainForm, nullptr);
  EXPECT_EQ(BudgetForm, nullptr);
  EXPECT_EQ(ReportForm, nullptr);
  EXPECT_EQ(PreviewForm, nullptr);
  for (int slot = 1; slot <= MaxOffers; ++slot) ASSERT_EQ(OfferTable[slot].EntryNo, 0);
}

// The state is the process's and the other tests change it: look at it in a
// freshly started copy of this program, whatever ran before.
TEST(UgloDefaults, StartUpValues) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        ExpectStartUpValues();
        std::exit(::testing::Test::HasFailure() ? 1 : 0);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(ShortString, CutsToCapacity) {
  ShortString<6> remark = "abcdefgh";
  EXPECT_EQ(remark.View(), "abcdef");
  EXPECT_EQ(remark.Length(), 6);
  remark = "";
  EXPECT_TRUE(remark.Empty());
  ShortString<50> name = AnsiString(300, 'x');
  EXPECT_EQ(name.Length(), 50);
}

TEST(OfferTable, SlotsAreOneBased) {
  TOfferTable table;
  table[1].EntryNo = 7;
  table[500].EntryNo = 9;
  EXPECT_EQ(table[1].EntryNo, 7);
  EXPECT_EQ(table[500].EntryNo, 9);
  EXPECT_THROW(table[0], std::out_of_range);
  EXPECT_THROW(table[501], std::out_of_range);
  table.Clear();
  EXPECT_EQ(table[500].EntryNo, 0);
}

OfferRecord SampleOffer() {
  OfferRecord offer;
  offer.RoundedDiscount = 12.35;
  offer.Discount = 12.3451;
  offer.Amount = 876543.21;
  offer.BidderName = "ΑΦΟΙ Α.Ε."_a;
  offer.EntryNo = 0x0102;
  offer.Remark = "abc";
  offer.TypedFlag = 1;
  offer.ExactDiscount = 12.3451;
  return offer;
}

TEST(OfferRecordBytes, LayoutIsPackedLittleEndian) {
  const OfferRecord offer = SampleOffer();
  const auto bytes = EncodeOfferRecord(offer);
  double value;
  std::memcpy(&value, &bytes[0], 8);
  EXPECT_EQ(value, 12.35);
  std::memcpy(&value, &bytes[8], 8);
  EXPECT_EQ(value, 12.3451);
  std::memcpy(&value, &bytes[16], 8);
  EXPECT_EQ(value, 876543.21);
  const AnsiString name = "ΑΦΟΙ Α.Ε."_a;
  EXPECT_EQ(bytes[24], name.size());
  EXPECT_EQ(std::memcmp(&bytes[25], name.data(), name.size()), 0);
  EXPECT_EQ(bytes[25 + name.size()], 0);  // padding
  EXPECT_EQ(bytes[75], 0x02);             // EntryNo, low byte first
  EXPECT_EQ(bytes[76], 0x01);
  EXPECT_EQ(bytes[77], 3);
  EXPECT_EQ(std::memcmp(&bytes[78], "abc", 3), 0);
  EXPECT_EQ(bytes[81], 0);
}

TEST(OfferRecordBytes, RoundTripKeepsTheStoredFields) {
  OfferRecord offer = SampleOffer();
  const OfferRecord back = DecodeOfferRecord(EncodeOfferRecord(offer));
  EXPECT_EQ(back.RoundedDiscount, offer.RoundedDiscount);
  EXPECT_EQ(back.Discount, offer.Discount);
  EXPECT_EQ(back.Amount, offer.Amount);
  EXPECT_EQ(back.BidderName.View(), offer.BidderName.View());
  EXPECT_EQ(back.EntryNo, offer.EntryNo);
  EXPECT_EQ(back.Remark.View(), "abc");
  // Working fields are not stored.
  EXPECT_EQ(back.TypedFlag, 0);
  EXPECT_EQ(back.ExactDiscount, 0);
}

TEST(OfferRecordBytes, MarkedOfferStoresAtBeforeTheRemark) {
  OfferRecord offer = SampleOffer();
  offer.Marked = 1;
  offer.Remark = "!!!!!!";
  const auto bytes = EncodeOfferRecord(offer);
  EXPECT_EQ(bytes[77], 6);
  EXPECT_EQ(std::memcmp(&bytes[78], "@!!!!!", 6), 0);
  EXPECT_EQ(offer.Remark.View(), "!!!!!!");  // the record keeps its remark
}

TEST(OfferRecordBytes, DamagedLengthBytesStayInsideTheirFields) {
  std::array<Byte, OfferRecordSize> bytes{};
  bytes[24] = 255;  // name length beyond 50
  std::memset(&bytes[25], 'n', 50);
  bytes[75] = 5;
  bytes[77] = 200;  // remark length beyond 6
  std::memset(&bytes[78], 'r', 6);
  const OfferRecord offer = DecodeOfferRecord(bytes);
  EXPECT_EQ(offer.BidderName.View(), AnsiString(50, 'n'));
  EXPECT_EQ(offer.EntryNo, 5);
  EXPECT_EQ(offer.Remark.View(), "rrrrrr");
}

TEST(OldOfferRecordBytes, SixtyFourByteLayout) {
  std::array<Byte, OldOfferRecordSize> bytes{};
  const double rounded = 7.5, discount = 7.49, amount = 1000;
  std::memcpy(&bytes[0], &rounded, 8);
  std::memcpy(&bytes[8], &discount, 8);
  std::memcpy(&bytes[16], &amount, 8);
  bytes[24] = 30;
  std::memset(&bytes[25], 'b', 30);
  bytes[55] = 0x34;
  bytes[56] = 0x12;
  bytes[57] = 2;
  bytes[58] = 'o';
  bytes[59] = 'k';
  const OfferRecord offer = DecodeOldOfferRecord(bytes);
  EXPECT_EQ(offer.RoundedDiscount, 7.5);
  EXPECT_EQ(offer.Discount, 7.49);
  EXPECT_EQ(offer.Amount, 1000);
  EXPECT_EQ(offer.BidderName.View(), AnsiString(30, 'b'));
  EXPECT_EQ(offer.EntryNo, 0x1234);
  EXPECT_EQ(offer.Remark.View(), "ok");
  EXPECT_EQ(EncodeOldOfferRecord(offer), bytes);
}

TEST(ProjectHeaderBytes, FieldOffsets) {
  TProjectHeader header;
  header.ProjectText = "ΕΡΓΟ\r\nΔΕΥΤΕΡΗ"_a;
  header.ServiceText = "ΥΠΗΡΕΣΙΑ"_a;
  header.Date = "6/12/2026";
  header.IndicativeTotal = "1.234.567,89";
  header.Divisor = 1234567.89;
  header.ResetOptions();
  header.SetOption(TProjectHeader::CalcModeByte, 0);
  header.SetOption(TProjectHeader::ProjectTypeByte, 2);
  const auto bytes = EncodeProjectHeader(header);
  EXPECT_EQ(bytes[0], header.ProjectText.Length());
  EXPECT_EQ(std::memcmp(&bytes[1], header.ProjectText.View().data(), header.ProjectText.Length()), 0);
  EXPECT_EQ(bytes[256], 8);
  EXPECT_EQ(bytes[512], 9);
  EXPECT_EQ(std::memcmp(&bytes[513], "6/12/2026", 9), 0);
  EXPECT_EQ(bytes[523], 12);
  double divisor;
  std::memcpy(&divisor, &bytes[544], 8);
  EXPECT_EQ(divisor, 1234567.89);
  EXPECT_EQ(bytes[552], '!');
  EXPECT_EQ(bytes[553], 0);
  EXPECT_EQ(bytes[554], 2);
  for (int offset = 555; offset < 576; ++offset) EXPECT_EQ(bytes[offset], '!') << offset;
  EXPECT_TRUE(IsProjectHeader(bytes));
}

TEST(ProjectHeaderBytes, RoundTripIsByteExact) {
  std::array<Byte, TProjectHeader::Size> bytes{};
  for (int i = 0; i < TProjectHeader::Size; ++i) bytes[i] = static_cast<Byte>(i * 7 + 3);
  // Text fields as the program writes them: length, characters, zeros.
  const auto field = [&](int offset, int capacity, int length) {
    bytes[offset] = static_cast<Byte>(length);
    for (int i = length; i < capacity; ++i) bytes[offset + 1 + i] = 0;
  };
  field(0, 255, 200);
  field(256, 255, 0);
  field(512, 10, 10);
  field(523, 20, 3);
  EXPECT_EQ(EncodeProjectHeader(DecodeProjectHeader(bytes)), bytes);
}

TEST(ProjectHeaderBytes, ZeroedHeaderIsNoHeader) {
  TProjectHeader header;
  EXPECT_FALSE(header.IsHeader());
  header.ResetOptions();
  EXPECT_TRUE(header.IsHeader());
  header.Clear();
  EXPECT_FALSE(header.IsHeader());
  std::array<Byte, TProjectHeader::Size> bytes{};
  bytes[552] = '?';
  EXPECT_FALSE(IsProjectHeader(bytes));
}

TEST(ProjectHeaderBytes, OfferCountIsAFlagForTheHighByteAndTheLowByte) {
  const struct {
    int count;
    Byte high, low;
  } cases[] = {{255, 0, 255}, {256, 1, 0}, {500, 1, 244}};
  for (const auto& c : cases) {
    TProjectHeader header;
    header.ResetOptions();
    header.StoreOfferCount(c.count);
    const auto bytes = EncodeProjectHeader(header);
    EXPECT_EQ(bytes[556], c.high) << c.count;
    EXPECT_EQ(bytes[557], c.low) << c.count;
  }
}

TEST(ProjectHeaderBytes, PercentsAreHundredthsHighByteFirst) {
  const struct {
    double percent;
    Byte high, low;
  } cases[] = {{5, 1, 244},
               {12.34, 4, 210},
               // Exact halves go to the even neighbour.
               {0.125, 0, 12},
               {0.375, 0, 38},
               // Out of 16-bit range: kept at the bounds, never wrapped.
               {700, 255, 255},
               {-3, 0, 0},
               {std::numeric_limits<double>::quiet_NaN(), 0, 0}};
  for (const auto& c : cases) {
    TProjectHeader header;
    header.ResetOptions();
    header.StorePercent(TProjectHeader::GuaranteePercent, c.percent);
    header.StorePercent(TProjectHeader::LimitPercent, c.percent);
    const auto bytes = EncodeProjectHeader(header);
    EXPECT_EQ(bytes[567], c.high) << c.percent;
    EXPECT_EQ(bytes[568], c.low) << c.percent;
    EXPECT_EQ(bytes[569], c.high) << c.percent;
    EXPECT_EQ(bytes[570], c.low) << c.percent;
    EXPECT_EQ(bytes[571], '!');
  }
}

TEST(ProjectHeaderBytes, StoredPercentReadsBack) {
  TProjectHeader header;
  header.ResetOptions();
  header.StorePercent(TProjectHeader::LimitPercent, 12.34);
  EXPECT_EQ(header.StoredPercent100(TProjectHeader::LimitPercent), 1234);
  EXPECT_THROW(header.Option(551), std::out_of_range);
  EXPECT_THROW(header.Option(576), std::out_of_range);
}

TEST(BidderDiscountTable, AllocatesOnlyOnNeed) {
  TBidderDiscountTable table;
  EXPECT_EQ(table.AllocatedCount(), 0);
  EXPECT_FALSE(table.Has(0));
  EXPECT_FALSE(table.Has(1));
  EXPECT_FALSE(table.Has(2401));
  EXPECT_FALSE(table.Has(-5));
  DetailedOffer& last = table.Ensure(2400);
  EXPECT_EQ(table.AllocatedCount(), 1);
  EXPECT_TRUE(table.Has(2400));
  EXPECT_EQ(table.Get(2400), &last);
  EXPECT_EQ(last[2399].Value, 0);
  EXPECT_EQ(last[2399].Mark, 0);
  last[5] = {12.5, '#'};
  EXPECT_EQ(&table.Ensure(2400), &last);  // a second need keeps the offer
  EXPECT_EQ(table.Get(2400)->at(5).Mark, '#');
  EXPECT_THROW(table.Ensure(0), std::out_of_range);
  EXPECT_THROW(table.Ensure(2401), std::out_of_range);
  table.Ensure(1);
  table.Free(2400);
  EXPECT_FALSE(table.Has(2400));
  EXPECT_TRUE(table.Has(1));
  table.Free(0);  // nothing to free
  table.FreeAll();
  EXPECT_EQ(table.AllocatedCount(), 0);
}

}  // namespace
