#include "os/posix/LoaderTables.h"

#include <algorithm>

#include <link.h>
#include <sys/mman.h>
#include <unistd.h>

namespace
{
struct TablesRange
{
    uintptr_t nBegin = 0;
    uintptr_t nEnd = 0;
};

bool Overlaps(uintptr_t nBegin, uintptr_t nEnd, uintptr_t nOtherBegin, uintptr_t nOtherEnd)
{
    return nBegin < nOtherEnd && nOtherBegin < nEnd;
}

bool HasTextRelocations(const dl_phdr_info& info)
{
    for (ElfW(Half) i = 0; i < info.dlpi_phnum; ++i) {
        if (info.dlpi_phdr[i].p_type != PT_DYNAMIC)
            continue;
        for (auto* pDyn = reinterpret_cast<const ElfW(Dyn)*>(info.dlpi_addr + info.dlpi_phdr[i].p_vaddr);
             pDyn->d_tag != DT_NULL; ++pDyn) {
            if (pDyn->d_tag == DT_TEXTREL || (pDyn->d_tag == DT_FLAGS && (pDyn->d_un.d_val & DF_TEXTREL)))
                return true;
        }
    }
    return false;
}

// The pages of the object's first loaded segment, when it is the read-only
// one at the start of the file and nothing written shares a page with it.
bool FindTables(const dl_phdr_info& info, TablesRange& range)
{
    const ElfW(Phdr)* pFirst = nullptr;
    for (ElfW(Half) i = 0; i < info.dlpi_phnum && !pFirst; ++i) {
        if (info.dlpi_phdr[i].p_type == PT_LOAD)
            pFirst = &info.dlpi_phdr[i];
    }
    if (!pFirst || pFirst->p_flags != PF_R || pFirst->p_offset != 0 || HasTextRelocations(info))
        return false;
    const auto nPage = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const uintptr_t nStart = info.dlpi_addr + pFirst->p_vaddr;
    range.nBegin = nStart / nPage * nPage;
    range.nEnd = (nStart + pFirst->p_filesz + nPage - 1) / nPage * nPage;
    for (ElfW(Half) i = 0; i < info.dlpi_phnum; ++i) {
        const ElfW(Phdr)& header = info.dlpi_phdr[i];
        const bool bWritten = header.p_type == PT_DYNAMIC || header.p_type == PT_GNU_RELRO || header.p_type == PT_TLS ||
                              (header.p_type == PT_LOAD && (header.p_flags & PF_W));
        if (bWritten && Overlaps(range.nBegin, range.nEnd, info.dlpi_addr + header.p_vaddr,
                                 info.dlpi_addr + header.p_vaddr + header.p_memsz))
            return false;
    }
    return range.nEnd > range.nBegin;
}

struct Walk
{
    const std::vector<uintptr_t>* pBefore = nullptr;
    std::vector<uintptr_t> objects;
    std::vector<TablesRange> tables;
};

int VisitObject(dl_phdr_info* pInfo, size_t, void* pData)
{
    auto& walk = *static_cast<Walk*>(pData);
    if (!walk.pBefore) {
        walk.objects.push_back(pInfo->dlpi_addr);
        return 0;
    }
    TablesRange range;
    if (std::find(walk.pBefore->begin(), walk.pBefore->end(), pInfo->dlpi_addr) == walk.pBefore->end() &&
        FindTables(*pInfo, range))
        walk.tables.push_back(range);
    return 0;
}
} // namespace

std::vector<uintptr_t> LoadedObjects()
{
    Walk walk;
    dl_iterate_phdr(VisitObject, &walk);
    return walk.objects;
}

void ReleaseLoaderTablesSince(const std::vector<uintptr_t>& before)
{
    Walk walk;
    walk.pBefore = &before;
    dl_iterate_phdr(VisitObject, &walk);
    // Outside the walk, which holds the loader's lock.
    for (const TablesRange& range : walk.tables)
        madvise(reinterpret_cast<void*>(range.nBegin), range.nEnd - range.nBegin, MADV_DONTNEED);
}
