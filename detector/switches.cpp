#include "detector/switches.h"

namespace zt::detector {

namespace {

struct Word {
  const char* text;
  Switch value;
};

constexpr Word kWords[] = {
    {"UnregServer", Switch::kUnregServer},
    {"RegServer", Switch::kRegServer},
    {"Service", Switch::kService},
    {"Uninstall", Switch::kUninstall},
};

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b) {
    if (Lower(*a) != Lower(*b)) return false;
  }
  return *a == *b;
}

}  // namespace

Switch MatchSwitch(const char* commandLine) {
  if (!commandLine) return Switch::kNone;
  for (const char* p = commandLine; *p; ++p) {
    if (*p != '-' && *p != '/') continue;
    for (const Word& w : kWords) {
      if (EqualsIgnoringCase(p + 1, w.text)) return w.value;
    }
  }
  return Switch::kNone;
}

}  // namespace zt::detector
