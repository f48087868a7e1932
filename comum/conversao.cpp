#include "conversao.h"

#include "cp1252.h"
#include "texto_windows.h"

namespace tavorin {

#if defined(_WIN32)
std::string Utf8DoDriver(const std::string& bytes) { return Estreito(Largo(bytes, CP_ACP), CP_UTF8); }
#else
std::string Utf8DoDriver(const std::string& bytes) { return Utf8DoCp1252(bytes); }
#endif

}  // namespace tavorin
