# CLI11 (command lines) and nlohmann/json (JSON), header-only libraries from
# Debian's packages (libcli11-dev, nlohmann-json3-dev), as the targets
# CLI11::CLI11 and nlohmann_json::nlohmann_json.
if(CMAKE_CROSSCOMPILING)
  # The cross toolchain looks for headers under the mingw root only, and the
  # system's include folder may not be added whole: it holds glibc's headers,
  # which would be taken for the Windows C library's. A folder in the build
  # tree gets a copy of the two libraries' headers and nothing else.
  find_path(NOLT_CLI11_INCLUDE CLI/CLI.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH REQUIRED)
  find_path(NOLT_JSON_INCLUDE nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH
            REQUIRED)
  set(_stage ${CMAKE_BINARY_DIR}/header-libraries)
  file(COPY ${NOLT_CLI11_INCLUDE}/CLI ${NOLT_JSON_INCLUDE}/nlohmann DESTINATION ${_stage})
  add_library(CLI11::CLI11 INTERFACE IMPORTED)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(CLI11::CLI11 nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${_stage})
else()
  find_package(CLI11 CONFIG REQUIRED)
  find_package(nlohmann_json CONFIG REQUIRED)
endif()
