#include "demo/effect_catalog.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "demo/director.h"

namespace {

// Every row's entries, by name.
const std::vector<const EffectEntry*>& entries() {
    static const std::vector<const EffectEntry*> sorted = [] {
        std::vector<const EffectEntry*> all;
        for (size_t r = 0; r < PartTable::rowCount(); ++r) {
            const PartRow& row = PartTable::row(r);
            for (size_t i = 0; i < row.entryCount; ++i) all.push_back(&row.entries[i]);
        }
        std::sort(all.begin(), all.end(), [](const EffectEntry* a, const EffectEntry* b) {
            return std::strcmp(a->name, b->name) < 0;
        });
        return all;
    }();
    return sorted;
}

const EffectEntry* g_prepared = nullptr;

}  // namespace

int effectCount() {
    return static_cast<int>(entries().size());
}

const EffectEntry& effectAt(int index) {
    return *entries()[static_cast<size_t>(index)];
}

const EffectEntry* findEffect(const char* name) {
    for (const EffectEntry* entry : entries())
        if (name && std::strcmp(entry->name, name) == 0) return entry;
    return nullptr;
}

void drawEffectFrame(const EffectEntry& entry, float time, float frameTime) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    Director::readFrameSync();
    if (g_prepared != &entry) {
        entry.prepare();
        g_prepared = &entry;
    }
    glPushAttrib(kAllAttributeGroups);
    entry.draw(time, frameTime);
    glPopAttrib();
}
