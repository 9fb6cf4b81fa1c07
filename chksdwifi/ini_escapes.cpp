#include "chksdwifi/ini_escapes.h"

namespace zt::sdwifi {

namespace {

class Output {
 public:
  Output(char* out, std::size_t capacity) : m_out(out), m_capacity(capacity) {}
  void Put(char c) {
    if (m_n + 1 < m_capacity) m_out[m_n++] = c;
  }
  std::size_t Finish() {
    if (m_capacity > 0) m_out[m_n] = '\0';
    return m_n;
  }

 private:
  char* m_out;
  std::size_t m_capacity;
  std::size_t m_n = 0;
};

}  // namespace

std::size_t DecodeIniEscapes(const char* raw, char* out, std::size_t capacity) {
  enum class State { Normal, AfterLead, AfterBackslash };
  Output o(out, capacity);
  State state = State::Normal;
  for (const char* p = raw; *p; ++p) {
    const unsigned char b = static_cast<unsigned char>(*p);
    switch (state) {
      case State::Normal:
        if (b == '\\') {
          state = State::AfterBackslash;
        } else {
          o.Put(*p);
          if (b >= 0x81 && b <= 0xFE) state = State::AfterLead;
        }
        break;
      case State::AfterLead:
        o.Put(*p);
        state = State::Normal;
        break;
      case State::AfterBackslash:
        state = State::Normal;
        if (b == 'n') {
          o.Put('\n');
        } else if (b == 'r') {
          o.Put('\r');
        } else if (b == 't') {
          o.Put('\t');
        } else if (b >= 0x81 && b <= 0xFC) {
          // A lead byte behind a backslash: the backslash was a trail byte, keep both.
          o.Put('\\');
          o.Put(*p);
        } else {
          o.Put(*p);  // '"', '\\' and anything else stand for themselves
        }
        break;
    }
  }
  return o.Finish();
}

}  // namespace zt::sdwifi
