#pragma once

// Files for the tests of files/: whole-file reads and writes, sparse files,
// folder listings, and a child process that runs as an ordinary user.

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace runemill::file_test {

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << path;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

inline std::string Fixture(const std::string& name) {
  return ReadBytes(std::string(RUNEMILL_FIXTURES_DIR) + "/" + name);
}

// Holes only: no disk space is used, yet the file reports the size.
inline void MakeSparseFile(const std::string& path, std::int64_t size) {
  WriteBytes(path, "");
  ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(size)), 0) << path;
}

// The names in a folder, hidden ones included, sorted.
inline std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

inline unsigned Mode(const std::string& path) {
  struct stat status {};
  EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
  return status.st_mode & 07777;
}

inline constexpr uid_t kOrdinaryUser = 65534;

// Permissions do not stop root, and the tests may run as root; so body runs in
// a child process that has given up root first. Failures inside body fail the
// test. The folders that body uses must let that user in.
inline void ExpectAsOrdinaryUser(const std::function<void()>& body) {
  EXPECT_EXIT(
      {
        if (::geteuid() == 0) {
          if (::setgroups(0, nullptr) != 0 || ::setgid(kOrdinaryUser) != 0 ||
              ::setuid(kOrdinaryUser) != 0) {
            std::fputs("could not leave root\n", stderr);
            std::_Exit(2);
          }
        }
        body();
        std::fflush(stdout);
        std::_Exit(::testing::Test::HasFailure() ? 1 : 0);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace runemill::file_test
