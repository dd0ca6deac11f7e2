// The tests' side of peers/telemetry_peer.py as started for the Windows
// tests: its address, its controls and what it decoded.
#pragma once

#include <string>

#include "telemetry/metra_report.h"

namespace tw::test {

// A final record (table 6139, pressed `button`) behind a public block, as every report sends.
void AddFinalRecordBlocks(TwDirectMetra::TwInstallReport& report, int button);

constexpr const wchar_t* kTelemetryPeerUrl = L"http://127.0.0.1:18096/c/";

// A control request ("/_peer/ack?mode=silent"); the answer body.
std::string TelemetryControl(const std::string& path);
void ResetTelemetryPeer();
// Every record the peer decoded since the last reset, as compact JSON.
std::wstring PeerRecords();

size_t CountOf(const std::wstring& text, const std::wstring& part);
std::string Narrow(const std::wstring& text);

}  // namespace tw::test
