// What a run keeps of its files besides the disk.
//
// TextIn and TextOut read and write the disk, unless a store is installed
// for the span of a ScopedFileStore: then they ask it first.  The engine's
// run installs one (platform/file_transaction.h) that holds the run's result
// files until the commit and keeps copies of small files read again and
// again; every other program, and the engine outside its run, reads and
// writes the disk.
#pragma once

#include <sys/stat.h>

#include <string>

namespace tarn {

// What a store gives for a file that TextIn opens.
struct StoredText {
    bool Found = false;    // false: the disk file is read
    std::string DiskPath;  // read first, when not empty
    std::string Text;      // read after the content of DiskPath
};

class FileStore {
  public:
    FileStore();
    virtual ~FileStore() = default;
    FileStore(const FileStore&) = delete;
    FileStore& operator=(const FileStore&) = delete;

    // Tells this store from every other one made in the process (a writer
    // that outlives its store must not write into the next one).
    unsigned long Serial() const { return m_serial; }

    // For TextIn: the text of `path` as the store gives it.
    [[nodiscard]] virtual StoredText Load(const std::string& path) = 0;
    // For TextIn: `path`, opened by its exact name, was read from the disk.
    virtual void Loaded(const std::string& path, const struct stat& info,
                        const std::string& text) = 0;

    // For TextOut: the held file that a create (emptied first) or an append
    // of `path` writes into; -1 when the disk is written.  Raises the
    // run-time error when the create or append could not succeed.
    virtual int Create(const std::string& path) = 0;
    virtual int Append(const std::string& path) = 0;
    virtual void Write(int file, const std::string& text) = 0;
    // For TextOut: the disk file with this identity (device, inode) was
    // opened for writing or closed after writing.
    virtual void Written(unsigned long long device, unsigned long long inode) = 0;

    // True when the store holds `path` (also a file not yet on disk).
    virtual bool Holds(const std::string& path) = 0;

  private:
    unsigned long m_serial;
};

// The store installed now; nullptr when files are read and written on disk.
FileStore* CurrentFileStore();

// True when the store installed now holds `path`.
bool StoreHolds(const std::string& path);

// Installs `store` for its lifetime; the store installed before comes back.
class ScopedFileStore {
  public:
    explicit ScopedFileStore(FileStore& store);
    ~ScopedFileStore();
    ScopedFileStore(const ScopedFileStore&) = delete;
    ScopedFileStore& operator=(const ScopedFileStore&) = delete;

  private:
    FileStore* m_previous;
};

}  // namespace tarn
