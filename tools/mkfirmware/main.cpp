// mkfirmware <description> <output folder>
//
// Builds the firmware image files of the "bin" folder from a text description,
// so that the repository holds no binary files. Every image is a 728-byte header
// followed by a deterministic payload.
//
// Header fields the program reads (little-endian):
//   0x10 u32 version (major << 8 | minor), 0x14 u8 image type (210 mouse,
//   211 receiver), 0x15 u8 customer id, 0x16 u8 model id,
//   0x57 64 bytes model name, NUL-padded.
// Fields for the simulated device library (the program carries them unread):
//   0x00 8 bytes "ORVXFW01", 0x08 u32 payload length, 0x0C u32 CRC-32 of the payload.
//
// Files written by an earlier run and no longer described are removed, using a
// manifest kept beside the images; other files in the folder are left alone.

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kHeaderSize = 728;
constexpr std::size_t kVersionOffset = 0x10;
constexpr std::size_t kTypeOffset = 0x14;
constexpr std::size_t kCidOffset = 0x15;
constexpr std::size_t kMidOffset = 0x16;
constexpr std::size_t kNameOffset = 0x57;
constexpr std::size_t kNameSize = 64;
constexpr std::size_t kPayloadLengthOffset = 0x08;
constexpr std::size_t kPayloadCrcOffset = 0x0C;
constexpr char kMagic[8] = {'O', 'R', 'V', 'X', 'F', 'W', '0', '1'};
constexpr std::size_t kMaxPayload = 16u * 1024u * 1024u;
const char kManifestName[] = ".mkfirmware-manifest";

struct Image
{
    std::string file;
    std::uint8_t type = 0;
    std::uint8_t cid = 0;
    std::uint8_t mid = 0;
    std::string name;
    std::uint32_t version = 0;
    std::size_t size = 0;
};

bool parseUnsigned(const std::string& text, int base, unsigned long long max, unsigned long long& out)
{
    if (text.empty())
        return false;
    for (char c : text) {
        const bool ok = base == 16 ? std::isxdigit(static_cast<unsigned char>(c)) != 0
                                   : std::isdigit(static_cast<unsigned char>(c)) != 0;
        if (!ok)
            return false;
    }
    errno = 0;
    char* end = nullptr;
    out = std::strtoull(text.c_str(), &end, base);
    return errno == 0 && end && *end == '\0' && out <= max;
}

// "1.4" or "v1.4": major in decimal, minor in hexadecimal digits, as the
// program writes version texts.
bool parseVersion(std::string text, std::uint32_t& out)
{
    if (!text.empty() && text[0] == 'v')
        text.erase(0, 1);
    const auto dot = text.find('.');
    if (dot == std::string::npos)
        return false;
    unsigned long long major = 0;
    unsigned long long minor = 0;
    if (!parseUnsigned(text.substr(0, dot), 10, 0xFFFFFF, major)
        || !parseUnsigned(text.substr(dot + 1), 16, 0xFF, minor))
        return false;
    out = static_cast<std::uint32_t>((major << 8) | minor);
    return true;
}

bool parseLine(const std::string& line, Image& image, std::string& error)
{
    std::istringstream in(line);
    std::string type, cid, mid, version, size, extra;
    if (!(in >> image.file >> type >> cid >> mid >> image.name >> version >> size)) {
        error = "expected: file type cid mid name version size";
        return false;
    }
    if (in >> extra) {
        error = "unexpected field '" + extra + "'";
        return false;
    }
    if (image.file.size() < 5 || image.file.compare(image.file.size() - 4, 4, ".bin") != 0
        || image.file.find('/') != std::string::npos || image.file.find('\\') != std::string::npos
        || image.file[0] == '.') {
        error = "file name must be a plain name ending in .bin";
        return false;
    }
    if (type == "mouse") {
        image.type = 210;
    } else if (type == "receiver") {
        image.type = 211;
    } else {
        error = "type must be mouse or receiver";
        return false;
    }
    unsigned long long value = 0;
    if (!parseUnsigned(cid, 10, 255, value)) {
        error = "customer id must be 0..255";
        return false;
    }
    image.cid = static_cast<std::uint8_t>(value);
    if (!parseUnsigned(mid, 10, 255, value)) {
        error = "model id must be 0..255";
        return false;
    }
    image.mid = static_cast<std::uint8_t>(value);
    if (image.name.size() > kNameSize) {
        error = "model name longer than 64 bytes";
        return false;
    }
    if (!parseVersion(version, image.version)) {
        error = "version must be major.minor (minor in hexadecimal, 0..ff)";
        return false;
    }
    if (!parseUnsigned(size, 10, kMaxPayload, value)) {
        error = "payload size must be 0.." + std::to_string(kMaxPayload);
        return false;
    }
    image.size = static_cast<std::size_t>(value);
    return true;
}

void putU32(std::vector<std::uint8_t>& data, std::size_t offset, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        data[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t crc32(const std::uint8_t* data, std::size_t size)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::vector<std::uint8_t> buildImage(const Image& image)
{
    std::vector<std::uint8_t> data(kHeaderSize + image.size, 0);
    std::copy(std::begin(kMagic), std::end(kMagic), data.begin());
    putU32(data, kVersionOffset, image.version);
    data[kTypeOffset] = image.type;
    data[kCidOffset] = image.cid;
    data[kMidOffset] = image.mid;
    std::copy(image.name.begin(), image.name.end(), data.begin() + kNameOffset);

    // Same description, same bytes: a small xorshift generator seeded by the identity.
    std::uint32_t state = 0x9E3779B9u ^ (std::uint32_t(image.type) << 24) ^ (std::uint32_t(image.cid) << 16)
        ^ (std::uint32_t(image.mid) << 8) ^ image.version;
    if (state == 0)
        state = 1;
    for (std::size_t i = kHeaderSize; i < data.size(); ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        data[i] = static_cast<std::uint8_t>(state);
    }
    putU32(data, kPayloadLengthOffset, static_cast<std::uint32_t>(image.size));
    putU32(data, kPayloadCrcOffset, crc32(data.data() + kHeaderSize, image.size));
    return data;
}

bool writeFile(const fs::path& path, const std::vector<std::uint8_t>& data)
{
    const fs::path temp = path.string() + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
        if (!out)
            return false;
    }
    std::error_code ec;
    fs::rename(temp, path, ec);
    return !ec;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: mkfirmware <description> <output folder>\n";
        return 2;
    }
    const fs::path description = argv[1];
    const fs::path outDir = argv[2];

    std::ifstream in(description);
    if (!in) {
        std::cerr << description.string() << ": cannot open\n";
        return 1;
    }
    std::vector<Image> images;
    std::set<std::string> names;
    std::string line;
    int lineNumber = 0;
    bool ok = true;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const auto first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#')
            continue;
        Image image;
        std::string error;
        if (!parseLine(line, image, error)) {
            std::cerr << description.string() << ":" << lineNumber << ": " << error << "\n";
            ok = false;
            continue;
        }
        if (!names.insert(image.file).second) {
            std::cerr << description.string() << ":" << lineNumber << ": " << image.file << " named twice\n";
            ok = false;
            continue;
        }
        images.push_back(image);
    }
    if (!ok)
        return 1;

    std::error_code ec;
    fs::create_directories(outDir, ec);
    if (ec) {
        std::cerr << outDir.string() << ": " << ec.message() << "\n";
        return 1;
    }

    // Drop images an earlier description produced and this one no longer has.
    const fs::path manifest = outDir / kManifestName;
    {
        std::ifstream old(manifest);
        std::string previous;
        while (std::getline(old, previous)) {
            if (!previous.empty() && names.count(previous) == 0
                && previous.find('/') == std::string::npos && previous[0] != '.')
                fs::remove(outDir / previous, ec);
        }
    }

    for (const Image& image : images) {
        if (!writeFile(outDir / image.file, buildImage(image))) {
            std::cerr << (outDir / image.file).string() << ": cannot write\n";
            return 1;
        }
    }

    std::ofstream list(manifest, std::ios::trunc);
    for (const Image& image : images)
        list << image.file << "\n";
    if (!list) {
        std::cerr << manifest.string() << ": cannot write\n";
        return 1;
    }
    return 0;
}
