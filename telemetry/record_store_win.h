// Where undelivered telemetry records wait for the next run of any copy of
// the installer: one file under the common application data folder, in a
// folder only administrators and the system may write. Every change is a
// whole new file renamed over the old one, under a lock only one copy holds, so
// a crash or a second copy leaves either the old file or the new, never a
// mixture.
#pragma once

#include <string>
#include <vector>

#include "telemetry/record_store.h"

namespace TwDirectMetra {

class KeptRecordFile {
 public:
  // The machine's file: %ProgramData%\Tarnwick\TwInstall\pending_records.dat.
  KeptRecordFile() = default;
  // The same file under another folder than %ProgramData% (tests).
  explicit KeptRecordFile(std::wstring base) : m_base(std::move(base)) {}

  // Takes every kept record out of the file, oldest first: they are this
  // run's to send. Empty when there are none or the file cannot be used.
  std::vector<Packet> Claim();
  // Adds `packets` after the records kept already, the oldest dropped
  // beyond the limit. False when the file could not be written.
  [[nodiscard]] bool Keep(const std::vector<Packet>& packets);

 private:
  // The file's folder, with its backslash, first made one only the
  // machine's accounts can change (a folder someone else made first is
  // moved aside with what it holds); empty when it cannot be.
  std::wstring PreparedFolder() const;

  std::wstring m_base;  // empty: %ProgramData%
};

}  // namespace TwDirectMetra
