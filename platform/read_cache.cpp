#include "platform/read_cache.h"

namespace tarn {

namespace {

constexpr size_t kLimit = 64 * 1024;

}  // namespace

const std::string* ReadCache::Find(const std::string& name) const {
    for (size_t i = 0; i < m_used; ++i)
        if (m_entries[i].Name == name) return &m_entries[i].Data;
    return nullptr;
}

void ReadCache::Keep(const std::string& name, const struct stat& info, const std::string& data) {
    if (data.size() > kLimit) return;
    size_t slot = m_used < kEntries ? m_used++ : m_next++ % kEntries;
    m_entries[slot].Name = name;
    m_entries[slot].Device = static_cast<unsigned long long>(info.st_dev);
    m_entries[slot].Inode = static_cast<unsigned long long>(info.st_ino);
    m_entries[slot].Data = data;
}

void ReadCache::Forget(unsigned long long device, unsigned long long inode) {
    for (size_t i = 0; i < m_used;) {
        if (m_entries[i].Device == device && m_entries[i].Inode == inode) {
            --m_used;
            if (i != m_used) m_entries[i] = std::move(m_entries[m_used]);
            m_entries[m_used] = Entry{};
        } else {
            ++i;
        }
    }
}

void ReadCache::Forget(const std::string& path) {
    struct stat info;
    if (m_used == 0 || stat(path.c_str(), &info) != 0) return;
    Forget(static_cast<unsigned long long>(info.st_dev),
           static_cast<unsigned long long>(info.st_ino));
}

}  // namespace tarn
