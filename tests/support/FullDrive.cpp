#include "FullDrive.h"

#include "Files.h"
#include "Handles.h"

#include <windows.h>

#include <string>

namespace zktest {

namespace {

const char kRoot[] = "F:\\";
const char kFiller[] = "F:\\zkfill.bin";
// Never fill a real drive that happens to be F:.
constexpr unsigned long long kLargestDrive = 64ull << 20;

unsigned long long FreeBytes() {
    ULARGE_INTEGER available{}, total{}, free{};
    if (!GetDiskFreeSpaceExA(kRoot, &available, &total, &free)) return 0;
    return available.QuadPart;
}

} // namespace

std::string FullDriveRoot() {
    ULARGE_INTEGER available{}, total{}, free{};
    if (!GetDiskFreeSpaceExA(kRoot, &available, &total, &free)) return {};
    return total.QuadPart <= kLargestDrive ? kRoot : "";
}

unsigned long long FullDriveCluster() {
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (!GetDiskFreeSpaceA(kRoot, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
        return 4096;
    return static_cast<unsigned long long>(sectorsPerCluster) * bytesPerSector;
}

void EmptyFullDrive() {
    if (FullDriveRoot().empty()) return;
    WIN32_FIND_DATAA fd;
    zk::UniqueFind find(FindFirstFileA("F:\\*", &fd));
    if (!find) return;
    do {
        const std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = kRoot + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            zk::DeleteTree(path, true);
        } else {
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
    } while (FindNextFileA(find.get(), &fd));
}

bool FillFullDriveLeaving(unsigned long long leave) {
    if (FullDriveRoot().empty()) return false;
    EmptyFullDrive();
    const unsigned long long cluster = FullDriveCluster();
    const unsigned long long keep = leave / cluster * cluster, free = FreeBytes();
    if (free < keep) return false;
    zk::UniqueFile file(CreateFileA(kFiller, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    // Real bytes: a file extended without them takes no room on the drive.
    const std::string chunk(64 * 1024, 'f');
    for (unsigned long long left = free - keep; left > 0;) {
        const DWORD n = static_cast<DWORD>(left < chunk.size() ? left : chunk.size());
        DWORD written = 0;
        if (!WriteFile(file.get(), chunk.data(), n, &written, nullptr) || written != n)
            return false;
        left -= n;
    }
    file.reset();
    return FreeBytes() == keep;
}

} // namespace zktest
