// Is the Internet reachable at all? Asked before a timed-out package
// download is retried with the resumable downloader: a retry without a
// network would only make the user wait longer for the same failure.
#pragma once

namespace tw {

// ICMP echo to the deployment's probe host: true when 1 or 2 of 2 answered.
bool IsInternetReachable();

// A console ping's conventions: argv[1] host, argv[2] count (2..5; default 2),
// argv[3] and argv[4] read and ignored. Returns the number of echoes
// answered, 0 for wrong arguments or no ICMP, -1 on a sockets failure.
int PingHost(int argc, const char* const* argv);

}  // namespace tw
