// Copies of small files that a run reads again and again (the analysis
// settings file, the slit file): a file of at most 64 KiB read by its exact
// name is kept, by that name and its identity (device, inode), until the run
// writes the same file under any of its names.
#pragma once

#include <sys/stat.h>

#include <string>

namespace tarn {

class ReadCache {
  public:
    // The kept text of `name`; nullptr when none.
    const std::string* Find(const std::string& name) const;
    // Keeps `data`, read by the exact name `name` from the file `info` describes.
    void Keep(const std::string& name, const struct stat& info, const std::string& data);
    // Drops every copy of the file with this identity.
    void Forget(unsigned long long device, unsigned long long inode);
    // Drops the copy of the file that `path` names on disk now.
    void Forget(const std::string& path);

  private:
    struct Entry {
        std::string Name;
        unsigned long long Device = 0, Inode = 0;
        std::string Data;
    };
    static constexpr size_t kEntries = 8;
    Entry m_entries[kEntries];
    size_t m_used = 0;
    size_t m_next = 0;  // the entry that a new file replaces when all are used
};

}  // namespace tarn
