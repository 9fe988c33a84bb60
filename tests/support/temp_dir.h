// A fresh working folder for one test; the previous folder is restored and the
// new one removed at the end.
#pragma once
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

class TempDir {
  public:
    TempDir() {
        char pattern[] = "/tmp/quillmere-test-XXXXXX";
        path_ = mkdtemp(pattern);
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
    }
    ~TempDir() {
        std::filesystem::current_path(previous_);
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }

    static void Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::filesystem::path p(name);
        if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
        std::ofstream(name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    static void Write(const std::string& name, const std::string& text) {
        Write(name, std::vector<uint8_t>(text.begin(), text.end()));
    }
    static std::string Read(const std::string& name) {
        std::ifstream in(name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

  private:
    std::string path_;
    std::filesystem::path previous_;
};
