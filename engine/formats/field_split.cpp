#include "engine/formats/field_split.h"

#include <algorithm>

namespace tarn {

unsigned SplitString(const std::string& s, std::string* fields, size_t capacity, uint16_t& count,
                     const std::string& sep) {
    count = 0;
    unsigned dropped = 0;
    auto store = [&](std::string field) {
        if (field.size() > kMaxFieldLength) field.resize(kMaxFieldLength);
        field.erase(std::remove(field.begin(), field.end(), ' '), field.end());
        if (count < capacity) {
            fields[++count] = field;
        } else {
            ++dropped;
        }
    };
    if (sep.empty()) {
        store(s);
        return dropped;
    }
    size_t pos = 0;
    while (true) {
        size_t p = s.find(sep, pos);
        if (p == std::string::npos) {
            store(s.substr(pos));
            break;
        }
        if (p > pos) store(s.substr(pos, p - pos));
        pos = p + sep.size();
    }
    return dropped;
}

}  // namespace tarn
