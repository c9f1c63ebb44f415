// A host's view of the identity, probe, cipher, Caesar and interpolation slots (6, 7, 18, 19, 21 to
// 26): only the public headers and the shared library (and a scratch-folder helper of the tests),
// with the system's own answers to compare.
#include <gtest/gtest.h>
#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "IVantrelWrapper.h"
#include "platform/vantrel/scratch_folder.h"

namespace {

namespace fs = std::filesystem;
using tarvo::test::ScratchFolder;

class HostEnvironmentTest : public ::testing::Test {
 protected:
  void SetUp() override { wrapper->LoadObject(); }
  void TearDown() override { IVantrelWrapper::Destroy(wrapper); }
  IVantrelWrapper* wrapper = IVantrelWrapper::CreateInstance();
};

// Sets an environment variable for one scope and puts the old value back.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = getenv(name)) old_ = old;
    value ? setenv(name, value->c_str(), 1) : unsetenv(name);
  }
  ~ScopedVariable() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

std::string HostName() {
  char name[HOST_NAME_MAX + 1] = {};
  gethostname(name, sizeof name - 1);
  return name;
}

TEST_F(HostEnvironmentTest, IdentityMatchesTheSystem) {
  const passwd* user = getpwuid(geteuid());
  ASSERT_NE(user, nullptr);
  EXPECT_EQ(wrapper->GetEnvUserName(), user->pw_name);

  const std::string host = HostName();
  const std::size_t dot = host.find('.');
  EXPECT_EQ(wrapper->GetEnvMachineName(), host.substr(0, dot));
  const std::string machineDomain = wrapper->GetEnvMachineDomain();
  if (dot != std::string::npos) {
    EXPECT_EQ(machineDomain, host.substr(dot + 1));
  }
  EXPECT_FALSE(machineDomain.starts_with('.'));

  {
    ScopedVariable userDomain("USERDOMAIN", "SALES");
    EXPECT_EQ(wrapper->GetEnvUserDomain(), "SALES");
  }
  ScopedVariable noUserDomain("USERDOMAIN", std::nullopt);
  if (std::string(user->pw_name).find('@') == std::string::npos) {
    EXPECT_EQ(wrapper->GetEnvUserDomain(), machineDomain);
  }
}

TEST_F(HostEnvironmentTest, ProbesLookWhereTheirVariablesPoint) {
  ScratchFolder system, home, product;
  ScopedVariable sysIni("ODBCSYSINI", system.path().string()), fakeHome("HOME", home.path().string());
  system.write("odbcinst.ini", "[PostgreSQL]\nDriver=/opt/p.so\n");
  EXPECT_FALSE(wrapper->IsMsOleDbSqlInstalled());
  home.write(".odbcinst.ini", "[ODBC Driver 18 for SQL Server]\nDriver=/opt/x.so\n");
  EXPECT_TRUE(wrapper->IsMsOleDbSqlInstalled());

  ScopedVariable brevikHome("BREVIK_HOME", product.path().string());
  EXPECT_EQ(wrapper->IsBrevikInstalled(), fs::is_directory("/opt/brevik/bin"));
  product.folder("bin");
  EXPECT_TRUE(wrapper->IsBrevikInstalled());
}

TEST_F(HostEnvironmentTest, CipherRoundTripsAndRefusesWhatItCannotAuthenticate) {
  const std::string plain = "Grüße, 42";  // UTF-8, as the default locale of the tests reads it
  const std::string first = wrapper->EcryptString(plain, "host key");
  const std::string second = wrapper->EcryptString(plain, "host key");
  EXPECT_NE(first, second);
  EXPECT_TRUE(first.starts_with("v1:"));
  EXPECT_EQ(wrapper->DcryptString(first, "host key"), plain);
  EXPECT_EQ(wrapper->DcryptString(wrapper->EcryptString("", "k"), "k"), "");
  EXPECT_THROW(wrapper->DcryptString(second, "other key"), std::invalid_argument);
  EXPECT_THROW(wrapper->DcryptString("not ours", "host key"), std::invalid_argument);
}

TEST_F(HostEnvironmentTest, CaesarShiftsPrintableAsciiOnly) {
  EXPECT_EQ(wrapper->CaesarCipher12Net("Hello, ~", true), "Tqxx{8,+");
  EXPECT_EQ(wrapper->CaesarCipher12Net("Tqxx{8,+", false), "Hello, ~");
  EXPECT_EQ(wrapper->CaesarCipher12Net("\xC3\xBC\t", true), "\xC3\xBC\t");
}

TEST_F(HostEnvironmentTest, InterpolateAnswersWithinBelowAboveAndRefusesBadTables) {
  double x[] = {0, 2, 5}, y[] = {1, 5, -1}, unordered[] = {0, 5, 2};
  double value = 0, slope = 0;
  EXPECT_EQ(wrapper->Interpolate(x, y, 3, 1, value, slope), 0);
  EXPECT_EQ((std::pair{value, slope}), (std::pair{3.0, 2.0}));
  EXPECT_EQ(wrapper->Interpolate(x, y, 3, -1, value, slope), 1);
  EXPECT_EQ((std::pair{value, slope}), (std::pair{-1.0, 2.0}));
  EXPECT_EQ(wrapper->Interpolate(x, y, 3, 6, value, slope), 2);
  EXPECT_EQ((std::pair{value, slope}), (std::pair{-3.0, -2.0}));
  EXPECT_EQ(wrapper->Interpolate(x, y, 1, 6, value, slope), -1);
  EXPECT_EQ((std::pair{value, slope}), (std::pair{1.0, 0.0}));
  EXPECT_EQ(wrapper->Interpolate(unordered, y, 3, 1, value, slope), -2);
  EXPECT_EQ((std::pair{value, slope}), (std::pair{1.0, 0.0}));
  EXPECT_EQ((std::vector<double>(x, x + 3)), (std::vector<double>{0, 2, 5}));
  EXPECT_EQ((std::vector<double>(y, y + 3)), (std::vector<double>{1, 5, -1}));
}

}  // namespace
