#include <gtest/gtest.h>

#include <zlib.h>

#include "telemetry/ini_sections.h"
#include "telemetry/metra_serialize.h"

namespace TwDirectMetra {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Finished(TwInstallSerialize& block) {
  block.Finish();
  return block.Finished();
}

TEST(MetraBlock, FieldEncodingsAndBitBytes) {
  TwInstallSerialize block;
  block.SetTableId(6139);
  block.AddUInt8(0x1FF);
  block.AddUInt16(0x12345);
  block.AddUInt32(0xA1B2C3D4);
  block.AddString(L"");
  block.AddString(static_cast<const wchar_t*>(nullptr));
  block.AddString(L"a");
  block.AddBlob(nullptr, 0);
  EXPECT_EQ(Finished(block), (Bytes{0xFB, 0x17, 0xFF, 0x45, 0x23, 0xD4, 0xC3, 0xB2, 0xA1, 0x00, 0x00, 0x00, 0x00, 0x01,
                                    0x00, 'a' ^ 0x6B, 0x00, 0x00}))
      << "no bit fields: the table id is followed by the field data";

  TwInstallSerialize bits;
  bits.SetTableId(7787);
  bits.AddBit(1);
  bits.AddBit(0x100);  // only the low byte counts
  bits.AddBit(7);
  bits.AddBit(0);
  bits.AddUInt8(3);
  EXPECT_EQ(Finished(bits), (Bytes{0x6B, 0x1E, 0b0101, 3}));

  TwInstallSerialize nine;
  for (int i = 0; i < 9; ++i) nine.AddBit(1);
  EXPECT_EQ(Finished(nine), (Bytes{0, 0, 0xFF, 0x01})) << "nine bits take two bytes, high bits zero";
}

TEST(MetraBlock, StringsAreMaskedUtf8) {
  TwInstallSerialize block;
  block.AddString(L"中");  // E4 B8 AD
  EXPECT_EQ(Finished(block), (Bytes{0, 0, 3, 0, 0xE4 ^ 0x6B, 0xB8 ^ 0x6B, 0xAD ^ 0x6B}));
}

TEST(MetraBlock, OversizedFieldsAreCutToWhatTheLengthCanSay) {
  TwInstallSerialize block;
  block.AddString(std::wstring(30000, L'中'));  // 90000 bytes of UTF-8
  const Bytes bytes = Finished(block);
  const size_t length = bytes[2] | (bytes[3] << 8);
  EXPECT_EQ(length, 65535u - 65535u % 3) << "cut at a whole character";
  EXPECT_EQ(bytes.size(), 4 + length) << "the length always matches the bytes";
}

TEST(MetraBlock, BuffersGrowByTheRule) {
  TwInstallSerialize block;
  EXPECT_EQ(block.Fields().Capacity(), 1024u);
  const std::vector<uint8_t> big(2000, 1);
  block.AddBlob(big.data(), big.size());  // 2 + 2000 bytes: the blob does not fit
  EXPECT_EQ(block.Fields().Capacity(), 1024u + 2000u + 1024u);
  EXPECT_EQ(block.Fields().AppendCount(), 2u);
}

TEST(MachineKey, OnlyExactlyThirtyTwoUpperCaseDigits) {
  uint8_t key[16];
  MachineKeyBytes("0123456789ABCDEF0123456789ABCDEF", key);
  EXPECT_EQ(key[0], 0x01);
  EXPECT_EQ(key[7], 0xEF);
  for (const char* bad : {"0123456789abcdef0123456789abcdef", "0123456789ABCDEF0123456789ABCDE",
                          "0123456789ABCDEF0123456789ABCDEF0", "0123456789ABCDEF0123456789ABCDEG", ""}) {
    MachineKeyBytes(bad, key);
    EXPECT_EQ(Bytes(key, key + 16), Bytes(16, 0)) << bad;
  }
}

TEST(PublicBlock, FieldsInTheirOrder) {
  TwPublicBlock block;
  block.SetSendTimeForTest(0x5F5E1000);
  block.FillPublic("0", "0", " 1029x", "7", "0", "000102030405060708090A0B0C0D0E0F", "0", kAppKey);
  Bytes expected{4, 0, 16, 0};
  for (uint8_t i = 0; i < 16; ++i) expected.push_back(i);
  for (uint32_t value : {0u, 0u, 1029u, 7u}) {
    for (int i = 0; i < 4; ++i) expected.push_back(static_cast<uint8_t>(value >> (8 * i)));
  }
  expected.push_back(7);
  expected.insert(expected.end(), {0, 0, 0, 0, 0, 0});
  expected.insert(expected.end(), {0x00, 0x10, 0x5E, 0x5F, 0, 0, 0, 0, 28, 0});
  for (char c : std::string("q7td2mx0kb5wz3hv9pe6ru4ya1cj")) expected.push_back(static_cast<uint8_t>(c ^ 0x6B));
  EXPECT_EQ(block.Finished(), expected);
}

TEST(Packet, HeaderLengthCountAndCrcContinuedOverBlocks) {
  TwInstallSerialize first, second;
  first.SetTableId(6139);
  first.AddUInt8(1);
  first.Finish();
  second.SetTableId(4033);
  second.AddUInt32(2);
  second.Finish();
  const Bytes packet = BuildPacket({&first, &second});
  ASSERT_EQ(packet.size(), 10u + 3u + 6u);
  EXPECT_EQ(Bytes(packet.begin(), packet.begin() + 6), (Bytes{19, 0, 0x02, 0x01, 0x02, 0x00}));
  const uint32_t crc = static_cast<uint32_t>(crc32(0, packet.data() + 10, 9));
  EXPECT_EQ(packet[6] | (packet[7] << 8) | (packet[8] << 16) | (static_cast<uint32_t>(packet[9]) << 24), crc);
}

std::string Ack(const std::string& text, int byte2 = 2, int lengthDelta = 0, uint32_t crcDelta = 0) {
  const uint32_t crc =
      static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(text.data()), text.size())) + crcDelta;
  const size_t length = 7 + text.size() + lengthDelta;
  std::string body = {static_cast<char>(length & 0xFF), static_cast<char>(length >> 8), static_cast<char>(byte2)};
  for (int i = 0; i < 4; ++i) body += static_cast<char>(crc >> (8 * i));
  return body + text;
}

TEST(Acknowledgement, HeaderRules) {
  std::string text;
  EXPECT_TRUE(AcknowledgementText(Ack("[common]\nresult=1\n"), text));
  EXPECT_EQ(text, "[common]\nresult=1\n");
  EXPECT_FALSE(AcknowledgementText(Ack(""), text)) << "exactly 7 bytes";
  EXPECT_FALSE(AcknowledgementText(Ack("[common]\nresult=1\n", 1), text)) << "byte 2 is 1";
  EXPECT_FALSE(AcknowledgementText(Ack("[common]\nresult=1\n", 2, 1), text)) << "length off by one";
  EXPECT_FALSE(AcknowledgementText(Ack("[common]\nresult=1\n", 2, -1), text));
  EXPECT_FALSE(AcknowledgementText(Ack("[common]\nresult=1\n", 2, 0, 1), text)) << "CRC";
  EXPECT_FALSE(AcknowledgementText(Ack("[common]\nresult=1\n").substr(0, 12), text)) << "truncated";
  EXPECT_FALSE(AcknowledgementText("", text));
  EXPECT_TRUE(AcknowledgementText(Ack(std::string("[common]\nresult=1\n\0tail", 23)), text));
  EXPECT_EQ(text, "[common]\nresult=1\n") << "the text ends at its terminator";
}

TEST(Acknowledgement, ResponseText) {
  struct Case {
    const wchar_t* text;
    bool acknowledged;
  } cases[] = {
      {L"[common]\nresult=1", true},
      {L"junk before [COMMON]\r\n  RESULT  =  1 \r\n", true},
      {L"[common]\r\n\r\nother=x\r\nresult=1\r\n[more]\r\nresult=0", true},
      {L"[common]\nresult=2", false},
      {L"[common]\nresult=0", false},
      {L"[common]\nother=1", false},  // a missing key counts as 0
      {L"[other]\nresult=1", false},
      {L"result=1", false},            // no "["
      {L"[common]\nresult 1", false},  // no "="
      {L"[common]\n=1", false},        // empty key
      {L"[common]\nresult=1x", true},  // read like atol
      {L"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    EXPECT_EQ(IsAcknowledged(c.text), c.acknowledged);
  }
  IniSections sections;
  ASSERT_TRUE(sections.Parse(L"[A]\nk=1\nK = 2\n"));
  ASSERT_NE(sections.Find(L"a", L"k"), nullptr);
  EXPECT_EQ(*sections.Find(L"a", L"k"), L"2") << "a repeated key replaces the earlier value";
}

}  // namespace
}  // namespace TwDirectMetra
