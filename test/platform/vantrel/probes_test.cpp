// The probes look only where they say, answer both ways, and never raise.
#include "vantrel/probes.h"

#include <gtest/gtest.h>

#include "platform/vantrel/scratch_folder.h"

namespace tarvo::test {
namespace {

using namespace backend::probes;
using Paths = std::vector<std::filesystem::path>;

TEST(OdbcProbe, LooksWhereTheDriverManagerKeepsItsDriverList) {
  EXPECT_EQ(OdbcDriverLists(nullptr, nullptr), (Paths{"/etc/odbcinst.ini"}));
  EXPECT_EQ(OdbcDriverLists("", ""), (Paths{"/etc/odbcinst.ini"}));
  EXPECT_EQ(OdbcDriverLists("/srv/odbc", "/home/alice"),
            (Paths{"/srv/odbc/odbcinst.ini", "/home/alice/.odbcinst.ini"}));
}

TEST(OdbcProbe, FindsASectionNamingSqlServerInAnyFileAndAnyCase) {
  ScratchFolder folder;
  const auto other =
      folder.write("other.ini",
                   "[PostgreSQL Unicode]\nDescription=not for SQL Server\nDriver=psqlodbcw.so\n"
                   "; [ODBC Driver 18 for SQL Server]\n");
  const auto sqlServer =
      folder.write("sql.ini", "[MySQL]\nDriver=x.so\n  [ODBC Driver 18 for SQL Server]  \r\n");
  const auto lowerCase = folder.write("lower.ini", "[odbc driver 17 for sql server]\n");
  const auto missing = folder.path() / "missing.ini";

  EXPECT_FALSE(ListsSqlServerDriver({}));
  EXPECT_FALSE(ListsSqlServerDriver({other, missing, folder.path()}));
  EXPECT_TRUE(ListsSqlServerDriver({missing, other, sqlServer}));
  EXPECT_TRUE(ListsSqlServerDriver({lowerCase}));
}

TEST(BrevikProbe, WantsABinFolderUnderTheVariablesFolderOrTheStandardOne) {
  ScratchFolder folder;
  const auto installed = folder.folder("brevik").string();
  folder.folder("brevik/bin");
  const auto withoutBin = folder.folder("no-bin").string();
  folder.write("bin-is-a-file/bin", "");
  const auto binIsAFile = (folder.path() / "bin-is-a-file").string();
  const auto absent = folder.path() / "absent";

  EXPECT_TRUE(HoldsBrevik(installed.c_str(), absent));
  EXPECT_TRUE(HoldsBrevik(nullptr, installed));
  EXPECT_TRUE(HoldsBrevik(withoutBin.c_str(), installed));
  EXPECT_FALSE(HoldsBrevik(withoutBin.c_str(), absent));
  EXPECT_FALSE(HoldsBrevik(binIsAFile.c_str(), binIsAFile));
  EXPECT_FALSE(HoldsBrevik("", absent));
  EXPECT_FALSE(HoldsBrevik(nullptr, absent));
}

}  // namespace
}  // namespace tarvo::test
