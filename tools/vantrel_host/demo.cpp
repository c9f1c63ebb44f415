#include "demo.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "IVantrelWrapper.h"
#include "operations.h"
#include "tags.h"

namespace vantrel_host {
namespace {

namespace fs = std::filesystem;

// The shipped sample model: installed under share/, or still in the source tree.
fs::path DefaultModelFolder() {
  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  if (!error) {
    const fs::path installed = self.parent_path().parent_path() / "share/vantrel-bridge/sample_model";
    if (fs::is_directory(installed)) return installed;
  }
  return VANTREL_SOURCE_SAMPLE_MODEL;
}

bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::stringstream folders(path ? path : "");
  for (std::string folder; std::getline(folders, folder, ':');) {
    if (!folder.empty() && access((fs::path(folder) / program).c_str(), X_OK) == 0) return true;
  }
  return false;
}

// Numbers of a two-column CSV file with a header line.
void ReadTable(const fs::path& csv, std::vector<double>& x, std::vector<double>& y) {
  std::ifstream in(csv);
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    const std::size_t comma = line.find(',');
    if (comma == std::string::npos) continue;
    x.push_back(std::stod(line.substr(0, comma)));
    y.push_back(std::stod(line.substr(comma + 1)));
  }
}

class Demo {
 public:
  Demo(fs::path model, fs::path scratch) : model_(std::move(model)), scratch_(std::move(scratch)) {
    wrapper_->LoadObject();
  }
  ~Demo() { IVantrelWrapper::Destroy(wrapper_); }
  Demo(const Demo&) = delete;
  Demo& operator=(const Demo&) = delete;

  // Runs each step in turn; stops at the first failure with its message.
  int Run() {
    const std::vector<std::pair<const char*, std::function<void()>>> steps = {
        {"Copy the sample model into a scratch folder", [&] { CopyModel(); }},
        {"List the model files", [&] { List(); }},
        {"Copy, rename and delete inside the model folder", [&] { CopyRenameDelete(); }},
        {"Read a text file", [&] { std::cout << w().LoadText(Scratch("README.txt")); }},
        {"Run programs and wait for them", [&] { RunPrograms(); }},
        {"Resolve a document without opening a viewer",
         [&] { Say(w().Open("", scratch_, false, "README.txt", 1)); }},
        {"Convert a legacy spreadsheet", [&] { Convert(); }},
        {"Encipher and decipher", [&] { Cipher(); }},
        {"Interpolate the blend-rate table", [&] { Interpolate(); }},
        {"Identity and installation probes", [&] { Identity(); }},
        {"Model file names for case 42", [&] { FileNames(42); }},
        {"Resolve extended tags", [&] { Tags(); }},
    };
    int number = 0;
    for (const auto& [title, step] : steps) {
      std::cout << "\n[" << ++number << "/" << steps.size() << "] " << title << '\n';
      try {
        step();
      } catch (const std::exception& error) {
        std::cout.flush();
        std::cerr << "step " << number << " failed: " << error.what() << '\n';
        return 1;
      }
    }
    std::cout << "\nAll " << steps.size() << " steps succeeded.\n";
    return 0;
  }

 private:
  IVantrelWrapper& w() { return *wrapper_; }
  std::string Scratch(const std::string& name) const { return (scratch_ / name).string(); }
  static void Say(const std::string& line) { std::cout << "  " << line << '\n'; }
  static const char* Flag(int result) { return result ? "yes" : "no"; }

  void CopyModel() {
    std::vector<std::string*>* files = w().GetFileList(model_.string(), true, "");
    for (const std::string* source : *files) {
      const std::string target = Scratch(fs::path(*source).filename().string());
      Say("CopySimple " + fs::path(*source).filename().string() + ": " +
          Flag(w().CopySimple("", "", true, *source, target)));
    }
    w().Destroy(files);
  }

  void List() {
    std::vector<std::string*>* files = w().GetFileList(scratch_.string(), false, "*.dat;*.csv");
    for (const std::string* name : *files) Say(*name);
    w().Destroy(files);
  }

  void CopyRenameDelete() {
    const std::string folder = scratch_.string();
    Say(std::string("Copy case_0001.dat -> case_0003.dat: ") +
        Flag(w().Copy(folder, folder, false, "case_0001.dat", "case_0003.dat", 0)));
    Say(std::string("Copy onto the existing case_0002.dat with action 1 (keep it): ") +
        Flag(w().Copy(folder, folder, false, "case_0001.dat", "case_0002.dat", 1)));
    Say(std::string("CopySimpleKerno case_0003.dat -> case_0004.dat: ") +
        Flag(w().CopySimpleKerno(folder, folder, false, "case_0003.dat", "case_0004.dat")));
    Say(std::string("Rename case_0002.dat -> archive_case_0002.dat: ") +
        Flag(w().Rename(folder, folder, false, "case_0002.dat", "archive_case_0002.dat")));
    Say(std::string("Delete case_0003.dat: ") + Flag(w().Delete(folder, folder, false, "case_0003.dat")));
    Say(std::string("Copy to ../escaped.dat is refused: ") +
        Flag(!w().Copy(folder, folder, false, "case_0001.dat", "../escaped.dat", 0)));
    List();
  }

  void RunPrograms() {
    std::cout.flush();
    Say("exit code of echo: " + std::to_string(w().OpenAndWait("echo", "'  one quoted argument' and two")));
    Say("exit code of false: " + std::to_string(w().OpenAndWait("false", "")));
  }

  void Convert() {
    if (!OnPath("soffice")) {
      Say("skipped: no LibreOffice (soffice) on PATH");
      return;
    }
    // LibreOffice writes the legacy file from the CSV; the backend converts it to the current format.
    const std::string params = "-env:UserInstallation=file://" + Scratch("lo-profile") +
                               " --headless --convert-to xls --outdir " + scratch_.string() + " " +
                               Scratch("blend_rates.csv");
    std::cout.flush();
    if (w().OpenAndWait("soffice", params) != 0) throw std::runtime_error("soffice could not write the .xls");
    w().Xsl2Xslx(Scratch("blend_rates.xls"), Scratch("blend_rates.xlsx"));
    Say("blend_rates.xls -> blend_rates.xlsx (" + std::to_string(fs::file_size(Scratch("blend_rates.xlsx"))) +
        " bytes)");
  }

  void Cipher() {
    const std::string secret = "blend recipe: 62% BUYCRD01";
    const std::string sealed = w().EcryptString(secret, "a key of the host's");
    Say("EcryptString: " + sealed);
    Say("DcryptString: " + w().DcryptString(sealed, "a key of the host's"));
    const std::string shifted = w().CaesarCipher12Net("Hello, Model!", true);
    Say("CaesarCipher12Net: " + shifted + " -> " + w().CaesarCipher12Net(shifted.c_str(), false));
  }

  void Interpolate() {
    std::vector<double> x, y;
    ReadTable(Scratch("blend_rates.csv"), x, y);
    for (double at : {30.0, 5.0}) {
      double value = 0, slope = 0;
      const int result = w().Interpolate(x.data(), y.data(), static_cast<int>(x.size()), at, value, slope);
      std::ostringstream line;
      line << "viscosity at " << at << " degrees: " << value << " (slope " << slope << ", result " << result
           << ")";
      Say(line.str());
    }
  }

  void Identity() {
    Say("user " + w().GetEnvUserName() + ", user domain '" + w().GetEnvUserDomain() + "'");
    Say("machine " + w().GetEnvMachineName() + ", machine domain '" + w().GetEnvMachineDomain() + "'");
    Say(std::string("ODBC driver for SQL Server: ") + Flag(w().IsMsOleDbSqlInstalled()) +
        ", Brevik: " + Flag(w().IsBrevikInstalled()));
  }

  // Every getter of the operation table, from slot 27 on, through the same rows the subcommands use.
  void FileNames(int caseNumber) {
    bool inGetters = false;
    for (const Operation& op : Operations()) {
      inGetters = inGetters || std::string(op.name) == "GetSolutionFileName";
      if (!inGetters || std::string(op.name) == "GetExtendedTag") continue;
      std::vector<std::string> words;
      if (!op.params.empty()) words.push_back(std::to_string(caseNumber));
      std::ostringstream name;
      op.run(w(), Arguments(words, op.params), name);
      std::cout << "  " << op.name << (op.params.empty() ? "()" : "(" + words[0] + ")") << " = "
                << name.str();
    }
  }

  void Tags() {
    const std::vector<std::string> names = {"BALCRD01", "BUYCRD01", "CAPDST01"};
    const std::vector<std::string> tags = ResolveTags(Scratch("model.tags"), names);
    for (std::size_t i = 0; i < names.size(); ++i) Say(names[i] + " -> " + tags[i]);
  }

  fs::path model_;
  fs::path scratch_;
  IVantrelWrapper* wrapper_ = IVantrelWrapper::CreateInstance();
};

}  // namespace

int RunDemo(const std::vector<std::string>& arguments) {
  const fs::path model = arguments.empty() ? DefaultModelFolder() : fs::path(arguments.front());
  if (!fs::is_directory(model)) {
    std::cerr << "demo: model folder '" << model.string() << "' does not exist\n";
    return 1;
  }
  std::string pattern = (fs::temp_directory_path() / "vantrel-demo-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    std::perror("demo: cannot make a scratch folder");
    return 1;
  }
  const fs::path scratch = pattern;
  std::cout << "Sample model: " << model.string() << "\nScratch folder: " << scratch.string() << '\n';
  int result = 1;
  try {
    result = Demo(model, scratch).Run();
  } catch (const std::exception& error) {
    std::cerr << "demo: " << error.what() << '\n';
  }
  std::error_code ignored;
  fs::remove_all(scratch, ignored);
  return result;
}

}  // namespace vantrel_host
