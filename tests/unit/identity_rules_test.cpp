#include <gtest/gtest.h>

#include "telemetry/identity_rules.h"

namespace tw {
namespace {

TEST(SeedText, FivePiecesInOrder) {
  SeedPieces pieces;
  pieces.random = 42;
  pieces.hasGuid = true;
  pieces.guidData1 = 0x0A1B2C3D;
  pieces.guidData2 = 0xABCD;
  pieces.guidData3 = 0xEF01;
  const uint8_t data4[8] = {0xAB, 1, 2, 3, 4, 5, 6, 0xCD};
  std::copy(data4, data4 + 8, pieces.guidData4);
  pieces.millisecond = 7;
  pieces.minute = 5;
  pieces.day = 9;
  pieces.year = 2026;
  pieces.hour = 13;
  pieces.second = 59;
  pieces.month = 12;
  pieces.computerNameMd5 = std::string(32, 'f');
  pieces.freeBytesLow = 123456;
  const std::string text = SeedText(pieces);
  EXPECT_EQ(text,
            "00042"
            "0A1B2C3DABCDef01AB010203040506CD"
            "00705092026135912" +
                std::string(32, 'f') + "0000123456");
  EXPECT_EQ(text.size(), 96u);
  pieces.hasGuid = false;
  EXPECT_EQ(SeedText(pieces).size(), 64u);
}

TEST(HardwareText, PlaceholdersForUnreadableParts) {
  HardwareParts parts;
  EXPECT_EQ(HardwareText(parts), "NONECPUNOHARDDISKNOMAINBOARDNOMAC");
  parts.processor = "BFEBFBFF000906EA";
  parts.diskModel = "WDC WD10EZEX";
  parts.soundDevice = "Realtek";
  EXPECT_EQ(HardwareText(parts), "BFEBFBFF000906EAWDC WD10EZEXNOMAINBOARDNOMACRealtek");
}

TEST(DiskText, AtaWordsAndDescriptorStrings) {
  uint16_t words[50] = {};
  words[27] = ('W' << 8) | 'D';
  words[28] = ('C' << 8) | ' ';
  words[29] = (' ' << 8) | ' ';
  EXPECT_EQ(AtaIdentifyString(words, 27, 29), "WDC");

  EXPECT_EQ(DescriptorString("  SAMSUNG SSD \x01junk", false), "SAMSUNG SSD");
  EXPECT_EQ(DescriptorString("3457203120", false), "4W 1") << "hexadecimal pairs decoded, then trimmed";
  EXPECT_EQ(DescriptorString("31323334", true), "2143") << "hex pairs decoded, then pairs swapped";
  EXPECT_EQ(DescriptorString("ZZ12", false), "ZZ12");
  EXPECT_EQ(DescriptorString(nullptr, false), "");
  EXPECT_EQ(MainboardSerial(" A B C "), "ABC");
  EXPECT_EQ(MainboardSerial(std::string(200, 'x')).size(), 127u);
}

}  // namespace
}  // namespace tw
