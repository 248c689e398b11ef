#include "glext/extensions.h"

#include <cctype>
#include <cstring>

#include "platform/platform.h"

ExtensionFlags g_extensions;

namespace glext {

#define GLEXT_ENTRY(group, name, type) type name = nullptr;
#define GLEXT_ALSO(group, name)
#include "glext/gl_entry_points.inc"
#undef GLEXT_ENTRY
#undef GLEXT_ALSO

WglProc wglGetExtensionsStringARB = nullptr;
WglProc wglGetExtensionsStringEXT = nullptr;
#define GLEXT_WGL_ENTRY(group, name) WglProc name = nullptr;
#include "glext/wgl_entry_points.inc"
#undef GLEXT_WGL_ENTRY

}  // namespace glext

namespace {

using Lookup = void* (*)(const char*);

// Groups of entry points: the core versions, then the extensions in list order.
enum class Group {
    OpenGL12,
    OpenGL13,
    OpenGL14,
#define GLEXT_GL(name) name,
#define GLEXT_WGL(name) wgl_##name,
#include "glext/extension_list.inc"
#undef GLEXT_GL
#undef GLEXT_WGL
};

template <typename Pointer>
int lookUp(Pointer& pointer, const char* name, Lookup lookup) {
    void* address = lookup(name);
    pointer = reinterpret_cast<Pointer>(address);
    return address ? 0 : 1;
}

// Looks up every function of one group; the result is the number that were missing.
int loadGroup(Group group, Lookup lookup) {
    int missing = 0;
#define GLEXT_ENTRY(g, name, type) \
    if (group == Group::g) missing += lookUp(glext::name, #name, lookup);
#define GLEXT_ALSO(g, name) \
    if (group == Group::g) missing += lookUp(glext::name, #name, lookup);
#include "glext/gl_entry_points.inc"
#undef GLEXT_ENTRY
#undef GLEXT_ALSO
#define GLEXT_WGL_ENTRY(g, name) \
    if (group == Group::wgl_##g) missing += lookUp(glext::name, #name, lookup);
#include "glext/wgl_entry_points.inc"
#undef GLEXT_WGL_ENTRY
    return missing;
}

void clearEverything() {
    g_extensions = ExtensionFlags{};
#define GLEXT_ENTRY(group, name, type) glext::name = nullptr;
#define GLEXT_ALSO(group, name)
#include "glext/gl_entry_points.inc"
#undef GLEXT_ENTRY
#undef GLEXT_ALSO
    glext::wglGetExtensionsStringARB = nullptr;
    glext::wglGetExtensionsStringEXT = nullptr;
#define GLEXT_WGL_ENTRY(group, name) glext::name = nullptr;
#include "glext/wgl_entry_points.inc"
#undef GLEXT_WGL_ENTRY
}

void* platformLookup(const char* name) {
    return platform::glProcAddress(name);
}

}  // namespace

bool extensionListContains(const char* list, const char* name) {
    if (!list || !name || !*name || std::strchr(name, ' ')) return false;
    const size_t length = std::strlen(name);
    // A name may first appear as the start of a longer one ("GL_EXT_abgr" in "GL_EXT_abgrx"),
    // so every occurrence is checked for blanks around it.
    for (const char* at = std::strstr(list, name); at; at = std::strstr(at + length, name)) {
        const bool startsWord = at == list || at[-1] == ' ';
        const bool endsWord = at[length] == ' ' || at[length] == '\0';
        if (startsWord && endsWord) return true;
    }
    return false;
}

bool isExtensionSupported(const char* name) {
    return extensionListContains(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)), name);
}

void setCoreVersionFlags(const char* version, ExtensionFlags& flags) {
    flags.OpenGL12 = flags.OpenGL13 = flags.OpenGL14 = 0;
    if (!version) return;
    // The version comes first, as "<major>.<minor>"; anything after it is the vendor's and may
    // hold other numbers ("4.5 (Compatibility Profile) Mesa 21.1.5").
    const char* p = version;
    while (*p && !std::isdigit(static_cast<unsigned char>(*p))) ++p;
    int major = 0;
    while (std::isdigit(static_cast<unsigned char>(*p))) major = major * 10 + (*p++ - '0');
    if (major == 0 || *p != '.' || !std::isdigit(static_cast<unsigned char>(p[1]))) return;
    const int minor = p[1] - '0';
    const bool later = major > 1;
    flags.OpenGL12 = later || minor >= 2;
    flags.OpenGL13 = later || minor >= 3;
    flags.OpenGL14 = later || minor >= 4;
}

int initExtensions(const ExtensionSource& source) {
    clearEverything();
    ExtensionFlags& flags = g_extensions;
    Lookup lookup = source.lookup ? source.lookup : [](const char*) -> void* { return nullptr; };

    setCoreVersionFlags(source.version, flags);
#define GLEXT_GL(name) flags.name = extensionListContains(source.extensions, "GL_" #name);
#define GLEXT_WGL(name)
#include "glext/extension_list.inc"
#undef GLEXT_GL
#undef GLEXT_WGL

    // A missing OpenGL function leaves its pointer null and is not an error: drivers of the
    // time announced extensions whose less common functions they lacked.
    if (flags.OpenGL12) loadGroup(Group::OpenGL12, lookup);
    if (flags.OpenGL13) loadGroup(Group::OpenGL13, lookup);
    if (flags.OpenGL14) loadGroup(Group::OpenGL14, lookup);
#define GLEXT_GL(name) \
    if (flags.name) loadGroup(Group::name, lookup);
#define GLEXT_WGL(name)
#include "glext/extension_list.inc"
#undef GLEXT_GL
#undef GLEXT_WGL

    // Window-system stage: only where the platform has an extension string to ask for.
    int error = 0;
    const char* wglList = source.windowSystemExtensions;
    if (!wglList) return error;
    flags.wgl.getExtensionsStringARB =
        lookUp(glext::wglGetExtensionsStringARB, "wglGetExtensionsStringARB", lookup) == 0;
    flags.wgl.getExtensionsStringEXT =
        lookUp(glext::wglGetExtensionsStringEXT, "wglGetExtensionsStringEXT", lookup) == 0;
    if (!flags.wgl.getExtensionsStringARB && !flags.wgl.getExtensionsStringEXT) return error;
#define GLEXT_GL(name)
#define GLEXT_WGL(name)                                            \
    flags.wgl.name = extensionListContains(wglList, "WGL_" #name); \
    if (flags.wgl.name && loadGroup(Group::wgl_##name, lookup) != 0) error = 1;
#include "glext/extension_list.inc"
#undef GLEXT_GL
#undef GLEXT_WGL
    return error;
}

int initExtensions() {
    ExtensionSource source;
    source.version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    source.extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    source.lookup = platformLookup;
    return initExtensions(source);
}
