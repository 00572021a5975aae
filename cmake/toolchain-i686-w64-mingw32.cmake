# 32-bit Windows (98/2000 and later): the classic deliverable.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(PELTO_TRIPLET i686-w64-mingw32)
set(CMAKE_C_COMPILER   ${PELTO_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${PELTO_TRIPLET}-g++)
set(CMAKE_RC_COMPILER  ${PELTO_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${PELTO_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The oldest processor the 32-bit build runs on is the Pentium (i586): Windows 98
# runs on machines without the Pentium Pro's instructions (cmov, fcomi), which
# are this compiler's default. Tuning stays generic. CMakeLists.txt applies these
# to every C and C++ source of the build.
set(PELTO_CPU_OPTIONS -march=i586 -mtune=generic)
