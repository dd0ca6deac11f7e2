#include "net/download_callback_win.h"

namespace tw {

int32_t TwDowloadCallback::OnDownloadProgress(uint32_t totalLength, double fraction, int32_t) {
  if (m_cancel_flag != nullptr && *m_cancel_flag != 0) return static_cast<int32_t>(E_FAIL);
  for (const ProgressPost& post : DecideProgressPosts(m_state, ::GetTickCount(), totalLength, fraction)) {
    if (post.continuing && m_continuing_message != 0) ::PostMessageW(m_window, m_continuing_message, 0, 0);
    ::PostMessageW(m_window, m_message, post.percent, static_cast<LPARAM>(post.speed));
  }
  return 0;
}

}  // namespace tw
