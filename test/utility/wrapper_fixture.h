// A wrapper made by the factory and bound to a recording backend through the internal seam.
#ifndef TARVO_TEST_WRAPPER_FIXTURE_H
#define TARVO_TEST_WRAPPER_FIXTURE_H

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "IVantrelWrapper.h"
#include "interop/narrow_codec.h"
#include "utility/recording_vantrel.h"
#include "utility/vantrel_wrapper.h"
#include "utility/wrapper_access.h"

namespace tarvo::test {

class WrapperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wrapper_ = IVantrelWrapper::CreateInstance();
    bridge::WrapperAccess::Bind(static_cast<VantrelWrapper&>(*wrapper_), backend_);
  }
  void TearDown() override { IVantrelWrapper::Destroy(wrapper_); }

  IVantrelWrapper& wrapper() { return *wrapper_; }
  RecordingVantrel& backend() { return *backend_; }
  const std::shared_ptr<backend::Vantrel>& boundBackend() {
    return bridge::WrapperAccess::Backend(static_cast<VantrelWrapper&>(*wrapper_));
  }

 private:
  std::shared_ptr<RecordingVantrel> backend_ = std::make_shared<RecordingVantrel>();
  IVantrelWrapper* wrapper_ = nullptr;
};

// "é" as the process's narrow encoding writes it, for locales whose codeset has the letter.
inline std::string NarrowEAcute() {
  const std::string& codeset = interop::NarrowCodec::process().codeset();
  if (codeset == "UTF-8") return "\xC3\xA9";
  if (codeset == "ISO-8859-1" || codeset == "ISO-8859-15" || codeset == "CP1252") return "\xE9";
  return {};
}

inline bool ProcessIsUtf8() {
  return interop::NarrowCodec::process().kind() == interop::NarrowCodec::Kind::Utf8;
}

}  // namespace tarvo::test

#endif  // TARVO_TEST_WRAPPER_FIXTURE_H
