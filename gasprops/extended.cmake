# Alternative compressibility methods of the gas property library: SGERG-88 forms, AGA NX-19
# variants, AGA8 DETAIL in the 1994 report structure with AGA Report No. 10 properties, and the
# 12-component AGA8 calculator. Included at the end of this folder's CMakeLists.txt.
target_sources(gasprops PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Sgerg88Virial.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Sgerg88Variant.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Sgerg88SecondForm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Sgerg88Checked.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Nx19.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Aga8Detail1994.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Aga10Properties.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Aga8Calculator12.cpp
)
target_include_directories(gasprops PUBLIC ${CMAKE_CURRENT_LIST_DIR})

project_test(gasprops_sgerg88_tests LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test/Sgerg88Test.cpp
  LIBS gasprops platform)

project_test(gasprops_nx19_tests LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test/Nx19Test.cpp
  LIBS gasprops platform)

project_test(gasprops_aga8detail1994_tests LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test/Aga8Detail1994Test.cpp
  LIBS gasprops platform)

project_test(gasprops_aga8calc12_tests LABELS unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test/Aga8Calculator12Test.cpp
  LIBS gasprops platform)

project_test(gasprops_extended_validation LABELS validation
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test/Sgerg88ValidationTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test/Nx19ValidationTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test/Aga8Detail1994ValidationTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test/Aga8Calculator12ValidationTest.cpp
  LIBS gasprops platform)
