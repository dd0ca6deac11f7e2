#include "net/verified_file_win.h"

#include "platform/tw_md5.h"

namespace tw {

bool VerifyHeldMd5(const win::HeldFile& file, const std::wstring& expected) {
  TwMD5 md5;
  md5.Begin();
  if (!file.ReadAll([&md5](const unsigned char* data, size_t length) { md5.Update(data, length); })) return false;
  return DigestMatches(md5.Finish(), expected);
}

win::HeldFile HoldVerified(const std::wstring& path, const std::wstring& expected) {
  win::HeldFile held = win::HeldFile::Hold(path);
  if (held.IsHeld() && VerifyHeldMd5(held, expected)) return held;
  return win::HeldFile();
}

}  // namespace tw
