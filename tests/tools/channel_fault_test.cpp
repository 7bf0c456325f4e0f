// Reads --fault values as the command line does, and counts command records
// against each channel's fault window.
#include "rs485_stand_in/channel_fault.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "rs485_stand_in/fault_plan.h"

namespace stand_in {
namespace {

TEST(ChannelFaultTest, ReadsModeArgumentSkipAndCountInAnyOrder) {
  struct Case {
    const char* text;
    uint32_t channel;
    FaultMode mode;
    int64_t argument;
    uint32_t skip;
    std::optional<uint32_t> count;
    const char* modeText;
  };
  const Case cases[] = {
      {"1:close-unread", 1, FaultMode::kCloseUnread, 0, 0, std::nullopt,
       "close-unread"},
      {"2:close-silent:skip=3", 2, FaultMode::kCloseSilent, 0, 3, std::nullopt,
       "close-silent"},
      {"3:hang:count=1:skip=2", 3, FaultMode::kHang, 0, 2, 1, "hang"},
      {"1:status:-3:skip=1:count=2", 1, FaultMode::kStatus, -3, 1, 2,
       "status:-3"},
      {"1:status:2147483647", 1, FaultMode::kStatus, 2147483647, 0,
       std::nullopt, "status:2147483647"},
      {"2:truncated", 2, FaultMode::kTruncated, 0, 0, std::nullopt,
       "truncated"},
      {"1:length:-1", 1, FaultMode::kLength, -1, 0, std::nullopt, "length:-1"},
      {"1:length:20000:count=4", 1, FaultMode::kLength, 20000, 0, 4,
       "length:20000"},
      {"1:length:-32768", 1, FaultMode::kLength, -32768, 0, std::nullopt,
       "length:-32768"},
      {"3:random", 3, FaultMode::kRandom, 1, 0, std::nullopt, "random:1"},
      {"3:random:skip=1", 3, FaultMode::kRandom, 1, 1, std::nullopt,
       "random:1"},
      {"3:random:4294967295", 3, FaultMode::kRandom, 4294967295, 0,
       std::nullopt, "random:4294967295"},
      {"2:exception:skip=0", 2, FaultMode::kException, 0, 0, std::nullopt,
       "exception"},
      {"2:other-address", 2, FaultMode::kOtherAddress, 0, 0, std::nullopt,
       "other-address"},
      {"1:delay:3000:skip=4294967295", 1, FaultMode::kDelay, 3000, 4294967295,
       std::nullopt, "delay:3000"},
      {"1:delay:0", 1, FaultMode::kDelay, 0, 0, std::nullopt, "delay:0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::string error;
    const std::optional<ChannelFault> fault = ParseChannelFault(c.text, &error);
    ASSERT_TRUE(fault) << error;
    EXPECT_EQ(fault->channel, c.channel);
    EXPECT_EQ(fault->mode, c.mode);
    EXPECT_EQ(fault->argument, c.argument);
    EXPECT_EQ(fault->skip, c.skip);
    EXPECT_EQ(fault->count, c.count);
    EXPECT_EQ(FaultModeText(*fault), c.modeText);
  }
}

TEST(ChannelFaultTest, RejectsMalformedValuesWithAOneLineReason) {
  const char* const values[] = {
      "",
      "0:hang",
      "4:hang",
      "01:hang",
      "1",
      "1:",
      "1:Hang",
      "1:nonsense",
      "1:hang:5",
      "1:hang:",
      "1:status",
      "1:status:skip=1",
      "1:status:0",
      "1:status:x",
      "1:status:+3",
      "1:status:2147483648",
      "1:status:-2147483649",
      "1:length:32768",
      "1:length:-32769",
      "1:length:",
      "1:delay:-1",
      "1:delay:600001",
      "1:delay:1.5",
      "1:random:4294967296",
      "1:random:-1",
      "1:hang:skip=",
      "1:hang:skip=-1",
      "1:hang:skip=4294967296",
      "1:hang:count=0",
      "1:hang:count=x",
      "1:hang:skip=1:skip=2",
      "1:hang:count=1:count=1",
      "1:hang:count=1:bogus",
      "1:hang:skip=1:5",
      "1:status:5:6",
  };
  for (const char* value : values) {
    SCOPED_TRACE(value);
    std::string error;
    EXPECT_FALSE(ParseChannelFault(value, &error));
    EXPECT_NE(error.find("fault"), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
  }
}

TEST(ChannelFaultTest, UsageNamesEveryModeIndentedUnderTheOption) {
  const std::string usage = FaultModesUsage();
  for (const char* form : {"close-unread", "close-silent", "hang", "status:N",
                           "truncated", "length:N", "random[:SEED]",
                           "exception", "other-address", "delay:MS"}) {
    EXPECT_NE(usage.find(std::string(24, ' ') + form), std::string::npos)
        << form;
  }
  std::istringstream lines(usage);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_EQ(line.rfind(std::string(24, ' '), 0), 0u) << line;
    EXPECT_LE(line.size(), 80u) << line;
  }
}

ChannelFault Fault(const std::string& text) {
  std::string error;
  std::optional<ChannelFault> fault = ParseChannelFault(text, &error);
  EXPECT_TRUE(fault) << error;
  return fault.value_or(ChannelFault());
}

// Which of the next `records` command records on `channel` meet a fault,
// as their record numbers, -1 for those answered normally.
std::vector<int64_t> Hits(FaultPlan* plan, uint32_t channel, int records) {
  std::vector<int64_t> hits;
  for (int i = 0; i < records; ++i) {
    const std::optional<FaultHit> hit = plan->TakeCommandRecord(channel);
    hits.push_back(hit ? static_cast<int64_t>(hit->record) : -1);
  }
  return hits;
}

TEST(FaultPlanTest, EachChannelCountsItsOwnRecordsAgainstSkipAndCount) {
  FaultPlan plan({Fault("1:hang:skip=2:count=2"), Fault("2:status:4:skip=1"),
                  Fault("3:exception:count=1")});
  EXPECT_FALSE(plan.PeeksRecords());
  EXPECT_EQ(Hits(&plan, 1, 2), (std::vector<int64_t>{-1, -1}));
  // Another channel's records do not move channel 1 on.
  EXPECT_EQ(Hits(&plan, 2, 4), (std::vector<int64_t>{-1, 1, 2, 3}));
  EXPECT_EQ(Hits(&plan, 1, 3), (std::vector<int64_t>{2, 3, -1}));
  EXPECT_EQ(Hits(&plan, 3, 2), (std::vector<int64_t>{0, -1}));

  const std::optional<FaultHit> hit = plan.TakeCommandRecord(2);
  ASSERT_TRUE(hit);
  EXPECT_EQ(hit->fault.mode, FaultMode::kStatus);
  EXPECT_EQ(hit->fault.argument, 4);
}

TEST(FaultPlanTest, ChannelsWithoutFaultAndAnEmptyPlanLetEverythingThrough) {
  FaultPlan plan({Fault("2:hang")});
  EXPECT_EQ(Hits(&plan, 1, 2), (std::vector<int64_t>{-1, -1}));
  EXPECT_EQ(Hits(&plan, 9, 1), (std::vector<int64_t>{-1}));
  FaultPlan empty({});
  EXPECT_EQ(Hits(&empty, 1, 2), (std::vector<int64_t>{-1, -1}));
  EXPECT_FALSE(empty.PeeksRecords());
}

TEST(FaultPlanTest, PeeksRecordsOnlyWhenSomeFaultLeavesThemUnread) {
  EXPECT_TRUE(FaultPlan({Fault("1:hang"), Fault("3:close-unread:skip=5")})
                  .PeeksRecords());
  EXPECT_FALSE(FaultPlan({Fault("1:close-silent")}).PeeksRecords());
}

}  // namespace
}  // namespace stand_in
