#include "platform/ProgramSymbols.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

struct Function
{
    std::uintptr_t start;  // as loaded, bias included
    std::uintptr_t size;
    std::size_t name;      // offset in s_names
};

// Filled once by Load() and never freed: a crash may come at any moment.
const Function* s_functions = nullptr;
std::atomic<std::size_t> s_count{0};
const char* s_names = nullptr;
std::size_t s_namesSize = 0;
char s_programName[256];

int firstObject(dl_phdr_info* info, std::size_t, void* bias)
{
    // The main program comes first.
    *static_cast<std::uintptr_t*>(bias) = info->dlpi_addr;
    return 1;
}

// A read-only view of part of a file; the whole file is never kept mapped.
class FileView
{
public:
    FileView(int fd, std::size_t offset, std::size_t size)
    {
        const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
        m_lead = offset % page;
        m_length = size + m_lead;
        void* at = ::mmap(nullptr, m_length, PROT_READ, MAP_PRIVATE, fd, static_cast<off_t>(offset - m_lead));
        m_base = at == MAP_FAILED ? nullptr : static_cast<char*>(at);
    }
    ~FileView()
    {
        if (m_base && !m_kept)
            ::munmap(m_base, m_length);
    }
    FileView(const FileView&) = delete;
    FileView& operator=(const FileView&) = delete;

    const char* data() const { return m_base ? m_base + m_lead : nullptr; }
    void keep() { m_kept = true; }

private:
    char* m_base = nullptr;
    std::size_t m_lead = 0;
    std::size_t m_length = 0;
    bool m_kept = false;
};

bool readAt(int fd, void* out, std::size_t size, std::size_t offset)
{
    return ::pread(fd, out, size, static_cast<off_t>(offset)) == static_cast<ssize_t>(size);
}

bool loadFrom(int fd)
{
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return false;
    const std::size_t fileSize = static_cast<std::size_t>(st.st_size);

    ElfW(Ehdr) header;
    if (!readAt(fd, &header, sizeof header, 0) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0
        || header.e_ident[EI_CLASS] != (sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32)
        || header.e_shentsize != sizeof(ElfW(Shdr)) || header.e_shnum == 0
        || header.e_shoff + std::size_t(header.e_shnum) * sizeof(ElfW(Shdr)) > fileSize)
        return false;
    std::vector<ElfW(Shdr)> sections(header.e_shnum);
    if (!readAt(fd, sections.data(), sections.size() * sizeof(ElfW(Shdr)), header.e_shoff))
        return false;

    // The full table when the executable still has it, else the dynamic one.
    const ElfW(Shdr)* table = nullptr;
    for (const ElfW(Shdr)& s : sections)
        if (s.sh_type == SHT_SYMTAB)
            table = &s;
    if (!table)
        for (const ElfW(Shdr)& s : sections)
            if (s.sh_type == SHT_DYNSYM)
                table = &s;
    if (!table || table->sh_link >= sections.size() || table->sh_entsize != sizeof(ElfW(Sym))
        || table->sh_offset + table->sh_size > fileSize)
        return false;
    const ElfW(Shdr)& strings = sections[table->sh_link];
    if (strings.sh_type != SHT_STRTAB || strings.sh_size == 0 || strings.sh_offset + strings.sh_size > fileSize)
        return false;

    FileView symbols(fd, table->sh_offset, table->sh_size);
    FileView names(fd, strings.sh_offset, strings.sh_size);
    if (!symbols.data() || !names.data() || names.data()[strings.sh_size - 1] != '\0')
        return false;

    std::uintptr_t bias = 0;
    ::dl_iterate_phdr(firstObject, &bias);

    std::vector<Function> found;
    const auto* sym = reinterpret_cast<const ElfW(Sym)*>(symbols.data());
    const std::size_t count = table->sh_size / sizeof(ElfW(Sym));
    for (std::size_t i = 0; i < count; ++i) {
        if (ELF64_ST_TYPE(sym[i].st_info) != STT_FUNC || sym[i].st_shndx == SHN_UNDEF || sym[i].st_size == 0
            || sym[i].st_name == 0 || sym[i].st_name >= strings.sh_size)
            continue;
        found.push_back({bias + sym[i].st_value, sym[i].st_size, sym[i].st_name});
    }
    if (found.empty())
        return false;
    std::sort(found.begin(), found.end(),
              [](const Function& a, const Function& b) { return a.start < b.start; });

    auto* kept = new Function[found.size()];
    std::copy(found.begin(), found.end(), kept);
    names.keep();
    s_functions = kept;
    s_names = names.data();
    s_namesSize = strings.sh_size;
    s_count.store(found.size(), std::memory_order_release);
    return true;
}

} // namespace

bool ProgramSymbols::Load()
{
    static const bool loaded = [] {
        char path[4096];
        const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
        if (n > 0) {
            path[n] = '\0';
            const char* base = std::strrchr(path, '/');
            base = base ? base + 1 : path;
            const std::size_t length = std::min(std::strlen(base), sizeof s_programName - 1);
            std::memcpy(s_programName, base, length);
            s_programName[length] = '\0';
        }
        const int fd = ::open("/proc/self/exe", O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return false;
        const bool ok = loadFrom(fd);
        ::close(fd);
        return ok;
    }();
    return loaded;
}

const char* ProgramSymbols::nameFor(std::uintptr_t address, std::uintptr_t* start)
{
    const std::size_t count = s_count.load(std::memory_order_acquire);
    // The last function starting at or before the address.
    std::size_t lo = 0;
    std::size_t hi = count;
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (s_functions[mid].start <= address)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo == 0)
        return nullptr;
    const Function& f = s_functions[lo - 1];
    if (address - f.start >= f.size || f.name >= s_namesSize)
        return nullptr;
    if (start)
        *start = f.start;
    return s_names + f.name;
}

const char* ProgramSymbols::programName()
{
    return s_programName;
}
