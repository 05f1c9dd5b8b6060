#include "platform/file_store.h"

namespace tarn {

namespace {

FileStore* g_store = nullptr;
unsigned long g_serials = 0;

}  // namespace

FileStore::FileStore() : m_serial(++g_serials) {}

FileStore* CurrentFileStore() {
    return g_store;
}

bool StoreHolds(const std::string& path) {
    return g_store != nullptr && g_store->Holds(path);
}

ScopedFileStore::ScopedFileStore(FileStore& store) : m_previous(g_store) {
    g_store = &store;
}

ScopedFileStore::~ScopedFileStore() {
    g_store = m_previous;
}

}  // namespace tarn
