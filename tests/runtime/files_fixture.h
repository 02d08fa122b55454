#pragma once
// Shared fixture of the file tests: each test runs in a fresh directory of
// its own (also $TMPDIR, so extracted members land inside it), removed
// afterwards.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/runtime/archive_packer.h"

namespace veltric_test {

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char templ[] = "/tmp/veltric-files-XXXXXX";
        ASSERT_NE(mkdtemp(templ), nullptr);
        m_root = templ;
        char* old = getcwd(nullptr, 0);
        m_oldCwd = old;
        std::free(old);
        const char* t = std::getenv("TMPDIR");
        m_hadTmpdir = t != nullptr;
        if (t) m_oldTmpdir = t;
        ASSERT_EQ(chdir(m_root.c_str()), 0);
        std::filesystem::create_directory(m_root + "/tmp");
        setenv("TMPDIR", (m_root + "/tmp").c_str(), 1);
    }
    void TearDown() override
    {
        std::fflush(nullptr);
        if (chdir(m_oldCwd.c_str()) != 0) ADD_FAILURE() << "cannot return to " << m_oldCwd;
        if (m_hadTmpdir)
            setenv("TMPDIR", m_oldTmpdir.c_str(), 1);
        else
            unsetenv("TMPDIR");
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }

    static void Put(const std::string& path, const std::string& bytes)
    {
        std::filesystem::path p(path);
        if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
        ASSERT_TRUE(WriteFileBytes(path, bytes)) << path;
    }
    static std::string Get(const std::string& path) { return ReadFileBytes(path); }
    static bool Exists(const std::string& path)
    {
        struct stat st;
        return ::lstat(path.c_str(), &st) == 0;
    }
    // Every regular file below the test's temporary directory.
    std::vector<std::string> TempFiles() const
    {
        std::vector<std::string> files;
        for (auto& e : std::filesystem::recursive_directory_iterator(m_root + "/tmp"))
            if (e.is_regular_file()) files.push_back(e.path().string());
        return files;
    }

    std::string m_root;

private:
    std::string m_oldCwd;
    std::string m_oldTmpdir;
    bool m_hadTmpdir = false;
};

// Runs f with standard output captured; gives what it printed.
template <class F> std::string Printed(F f)
{
    std::fflush(stdout);
    ::testing::internal::CaptureStdout();
    f();
    std::fflush(stdout);
    return ::testing::internal::GetCapturedStdout();
}

} // namespace veltric_test
