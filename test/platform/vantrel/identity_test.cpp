// Identity comes from the system's own records: the password database, the kernel's host name,
// and the files the resolver reads, which the tests here replace with their own.
#include "vantrel/identity.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <climits>
#include <string>

#include "platform/vantrel/scratch_folder.h"
#include "vantrel/vantrel.h"

namespace tarvo::test {
namespace {

using namespace backend::identity;

std::u16string Wide(std::string_view ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

std::string KernelHostName() {
  char name[HOST_NAME_MAX + 1] = {};
  gethostname(name, sizeof name - 1);
  return name;
}

TEST(Identity, UserAndMachineNameAgreeWithTheSystem) {
  backend::Vantrel vantrel;
  const passwd* user = getpwuid(geteuid());
  ASSERT_NE(user, nullptr);
  EXPECT_EQ(vantrel.GetEnvUserName().units(), Wide(user->pw_name));

  const std::string host = KernelHostName();
  EXPECT_EQ(vantrel.GetEnvMachineName().units(), Wide(host.substr(0, host.find('.'))));
  EXPECT_FALSE(vantrel.GetEnvMachineName().units().empty());
  EXPECT_EQ(vantrel.GetEnvMachineDomain().units(), Wide(MachineDomain(SystemDomainSources())));
}

TEST(Identity, MachineNameIsTheHostNameUpToItsFirstDot) {
  EXPECT_EQ(MachineName("db1.corp.example"), "db1");
  EXPECT_EQ(MachineName("db1"), "db1");
  EXPECT_EQ(MachineName(""), "");
}

class MachineDomainTest : public ::testing::Test {
 protected:
  std::string domainOf(const std::string& hostName) {
    return MachineDomain({hostName, folder.path() / "hosts", folder.path() / "resolv.conf"});
  }
  ScratchFolder folder;
};

TEST_F(MachineDomainTest, AFullyQualifiedHostNameNeedsNoFiles) {
  folder.write("hosts", "10.0.0.1 db1.elsewhere.example db1\n");
  EXPECT_EQ(domainOf("db1.corp.example"), "corp.example");
  EXPECT_EQ(domainOf("db1.corp.example."), "corp.example");
}

TEST_F(MachineDomainTest, TheHostsFileGivesTheFirstQualifiedFormOfTheHostName) {
  folder.write("hosts",
               "# db1.commented.example db1\n"
               "127.0.0.1\tlocalhost\n"
               "10.0.0.9 db10.wrong.example db10\n"
               "10.0.0.1  DB1.Corp.Example. db1  # the machine itself\n"
               "10.0.0.2 db1.later.example\n");
  folder.write("resolv.conf", "search resolver.example\n");
  EXPECT_EQ(domainOf("db1"), "Corp.Example");
}

TEST_F(MachineDomainTest, TheResolversLastDomainOrSearchLineComesNext) {
  folder.write("hosts", "10.0.0.1 db1\n");
  folder.write("resolv.conf", "nameserver 10.0.0.53\ndomain first.example\nsearch a.example b.example\n");
  EXPECT_EQ(domainOf("db1"), "a.example");
  folder.write("resolv.conf",
               "search a.example b.example\n# domain commented.example\ndomain corp.example.\n");
  EXPECT_EQ(domainOf("db1"), "corp.example");
}

TEST_F(MachineDomainTest, IsEmptyWhenNothingLocalKnowsOne) {
  EXPECT_EQ(domainOf("db1"), "");  // neither file exists
  folder.write("hosts", "10.0.0.1 db1\n");
  folder.write("resolv.conf", "search .\n");
  EXPECT_EQ(domainOf("db1"), "");
}

TEST(Identity, UserDomainPrefersTheVariableThenTheRealmThenTheMachineDomain) {
  EXPECT_EQ(UserDomain("SALES", "alice@REALM.EXAMPLE", "corp.example"), "SALES");
  EXPECT_EQ(UserDomain("", "alice@REALM.EXAMPLE", "corp.example"), "REALM.EXAMPLE");
  EXPECT_EQ(UserDomain(nullptr, "alice", "corp.example"), "corp.example");
  EXPECT_EQ(UserDomain(nullptr, "alice@", "corp.example"), "corp.example");
  EXPECT_EQ(UserDomain(nullptr, "alice", ""), "");
}

}  // namespace
}  // namespace tarvo::test
