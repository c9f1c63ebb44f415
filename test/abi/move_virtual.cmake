# Writes a copy of an interface header in which the virtual OPERATION has changed places with the
# virtual declared after it: the mistake the ABI checks exist to catch.
#   cmake -DINPUT=IVantrelWrapper.h -DOUTPUT=copy.h -DOPERATION=TestSet -P move_virtual.cmake
file(READ "${INPUT}" header)
string(REGEX REPLACE "(\n[^\n]*virtual [^\n]* ${OPERATION}\\([^\n]*)(\n[^\n]*virtual [^\n]*)" "\\2\\1" moved "${header}")
if(moved STREQUAL header)
  message(FATAL_ERROR "move_virtual.cmake: no virtual ${OPERATION} followed by another virtual in ${INPUT}")
endif()
file(WRITE "${OUTPUT}" "${moved}")
