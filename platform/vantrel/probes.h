// Installation probes: cheap looks at the file system that answer yes or no. A file or folder that
// is missing or unreadable is a "no"; the only failure they raise is std::bad_alloc, since running
// out of memory must not pass for "not installed".
#ifndef TARVO_VANTREL_PROBES_H
#define TARVO_VANTREL_PROBES_H

#include <filesystem>
#include <vector>

namespace tarvo::backend::probes {

// Where the unixODBC driver manager keeps its driver list: "<$ODBCSYSINI>/odbcinst.ini" when
// ODBCSYSINI is set and not empty, else "/etc/odbcinst.ini"; then the user's "<$HOME>/.odbcinst.ini"
// when HOME is set and not empty. The arguments are the variables' values, or null.
std::vector<std::filesystem::path> OdbcDriverLists(const char* odbcSysIni, const char* home);

// True when one of the files has a section whose name holds "SQL Server" in any letter case, as the
// section that registers "ODBC Driver 18 for SQL Server" does. Missing or unreadable files count as
// having no such section.
bool ListsSqlServerDriver(const std::vector<std::filesystem::path>& driverLists);

// True when `brevikHome` (BREVIK_HOME's value, or null) names a folder that holds a bin folder, or
// when `standardRoot` does.
bool HoldsBrevik(const char* brevikHome, const std::filesystem::path& standardRoot);

#if defined(_WIN32)
inline constexpr const char* kStandardBrevikRoot = "C:\\Program Files\\Brevik";
#else
inline constexpr const char* kStandardBrevikRoot = "/opt/brevik";
#endif

// The same questions about this system: its environment variables and standard folders. Running out of memory
// raises std::bad_alloc; nothing else does. On Windows
// the driver list is the registry's (HKLM\SOFTWARE\ODBC\ODBCINST.INI\ODBC Drivers).
bool SystemListsSqlServerDriver();
bool SystemHoldsBrevik();

}  // namespace tarvo::backend::probes

#endif  // TARVO_VANTREL_PROBES_H
