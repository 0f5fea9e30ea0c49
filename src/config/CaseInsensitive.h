#pragma once

#include <cstddef>
#include <functional>
#include <string>

// Hashing and ordering of texts without regard to ASCII letter case, for registry names.
namespace vx::config {

inline char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

struct TCaseInsensitiveHash {
    std::size_t operator()(const std::string& text) const {
        std::string folded(text);
        for (char& c : folded) {
            c = FoldCase(c);
        }
        return std::hash<std::string>{}(folded);
    }
};

struct TCaseInsensitiveEqual {
    bool operator()(const std::string& a, const std::string& b) const {
        if (a.size() != b.size()) {
            return false;
        }
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (FoldCase(a[i]) != FoldCase(b[i])) {
                return false;
            }
        }
        return true;
    }
};

struct TCaseInsensitiveLess {
    bool operator()(const std::string& a, const std::string& b) const {
        const std::size_t n = a.size() < b.size() ? a.size() : b.size();
        for (std::size_t i = 0; i < n; ++i) {
            const char x = FoldCase(a[i]);
            const char y = FoldCase(b[i]);
            if (x != y) {
                return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
            }
        }
        return a.size() < b.size();
    }
};

} // namespace vx::config
