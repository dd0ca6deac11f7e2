#include "telemetry/record_store.h"

#include <gtest/gtest.h>

namespace TwDirectMetra {
namespace {

Packet Bytes(std::initializer_list<int> values) {
  Packet packet;
  for (int value : values) packet.push_back(static_cast<uint8_t>(value));
  return packet;
}

TEST(KeptRecordsTest, RoundTripKeepsEveryRecordByteForByteInOrder) {
  const std::vector<Packet> packets = {Bytes({1, 2, 3}), Packet(0xFFFF, 0xAB), Bytes({0, 0, 0, 0, 0, 0, 0, 0, 0})};
  EXPECT_EQ(ParseKeptRecords(SerializeKeptRecords(packets)), packets);
}

TEST(KeptRecordsTest, DamagedFilesGiveTheRecordsBeforeTheDamage) {
  const std::vector<Packet> packets = {Bytes({1, 2, 3}), Bytes({4, 5, 6, 7})};
  const std::string whole = SerializeKeptRecords(packets);
  struct Case {
    const char* what;
    std::string bytes;
    size_t kept;
  };
  std::string flipped = whole;
  flipped.back() ^= 0x01;  // the second record's last byte
  std::string hugeLength = whole;
  hugeLength[5 + 3] = '\x7F';  // the first record claims almost 2 GiB
  const Case cases[] = {
      {"empty file", "", 0},
      {"another file's bytes", "[common]\nresult=1\n", 0},
      {"cut inside the second record", whole.substr(0, whole.size() - 2), 1},
      {"cut inside the second header", whole.substr(0, 5 + 8 + 3 + 4), 1},
      {"a changed byte in the second record", flipped, 1},
      {"a length past the end", hugeLength, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseKeptRecords(c.bytes).size(), c.kept) << c.what;
  }
}

TEST(KeptRecordsTest, MergeKeepsTheNewestWithinTheLimit) {
  std::vector<Packet> older;
  for (int i = 0; i < 4; ++i) older.push_back(Bytes({i}));
  const std::vector<Packet> merged = MergeKeptRecords(older, {Bytes({4}), Bytes({5})}, 5);
  ASSERT_EQ(merged.size(), 5u);
  EXPECT_EQ(merged.front(), Bytes({1}));
  EXPECT_EQ(merged.back(), Bytes({5}));
  EXPECT_EQ(MergeKeptRecords({}, {Bytes({9})}).size(), 1u);
}

TEST(KeptRecordsTest, RecordsNoPacketCouldHoldAreNotKept) {
  EXPECT_TRUE(ParseKeptRecords(SerializeKeptRecords({Packet(), Packet(0x10000, 1)})).empty());
}

}  // namespace
}  // namespace TwDirectMetra
