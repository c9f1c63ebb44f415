#include "IVantrelWrapper.h"

#include "interop/wrapper_storage.h"
#include "utility/vantrel_wrapper.h"

using tarvo::interop::DeleteWrapper;
using tarvo::interop::NewWrapper;

IVantrelWrapper* IVantrelWrapper::CreateInstance() {
  return NewWrapper<VantrelWrapper>();
}

IVantrelWrapper* IVantrelWrapper::CreateFileNameManager() {
  return NewWrapper<VantrelWrapper>();
}

void IVantrelWrapper::Destroy(IVantrelWrapper* instance) {
  DeleteWrapper<VantrelWrapper>(instance);
}

IVantrelWrapper::IVantrelWrapper() = default;
IVantrelWrapper::IVantrelWrapper(const IVantrelWrapper&) = default;
IVantrelWrapper::IVantrelWrapper(IVantrelWrapper&&) = default;
IVantrelWrapper& IVantrelWrapper::operator=(const IVantrelWrapper&) = default;
IVantrelWrapper& IVantrelWrapper::operator=(IVantrelWrapper&&) = default;
