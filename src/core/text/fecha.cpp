#include "text/fecha.h"

namespace zi::text {

std::tm AhoraLocal() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &now);
#else
  localtime_r(&now, &tm);
#endif
  return tm;
}

std::string AhoraLocal(const char* formato) {
  const std::tm tm = AhoraLocal();
  char buf[64];
  const size_t n = std::strftime(buf, sizeof buf, formato, &tm);
  return std::string(buf, n);
}

}  // namespace zi::text
