#include "reliability/armed_call.h"

#include <cstdio>
#include <exception>

#include <cxxabi.h>

#include "interop/narrow_codec.h"
#include "runtime/cast.h"
#include "utility/vantrel_wrapper.h"

namespace tarvo::test {

std::string Describe(const std::string& bytes) {
  std::string text = "\"";
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && byte != '"' && byte != '\\') {
      text += c;
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      text += escaped;
    }
  }
  return text + "\"";
}
std::string Describe(bool flag) {
  return flag ? "true" : "false";
}
std::string Describe(int number) {
  return "int " + std::to_string(number);
}
std::string Describe(const InterpolationResult& answer) {
  return "int " + std::to_string(answer.result) + ", dY " + std::to_string(answer.dY) + ", dYbydX " +
         std::to_string(answer.dYbydX);
}
// Through Destroy(list) of any wrapper.
std::string Describe(std::vector<std::string*>* list) {
  std::string text = "list [";
  for (const std::string* element : *list) text += (element ? Describe(*element) : "null") + ", ";
  VantrelWrapper().Destroy(list);
  return text + "]";
}
std::string Describe(IVantrelWrapper* wrapper) {
  IVantrelWrapper::Destroy(wrapper);
  return "a utility wrapper";
}
std::string Describe(IUnifiedTagsManagerWrapper* wrapper) {
  IUnifiedTagsManagerWrapper::Destroy(wrapper);
  return "a unified-tags wrapper";
}

std::string Narrow(std::u16string_view text) {
  return interop::NarrowCodec::process().encode(text);
}

std::string DescribeCurrentException() {
  const std::type_info* type = abi::__cxa_current_exception_type();
  std::string text = type != nullptr ? runtime::TypeName(*type) : "no exception";
  try {
    throw;
  } catch (const std::exception& error) {
    text += ": ";
    text += error.what();
  } catch (...) {
  }
  return text;
}

}  // namespace tarvo::test
