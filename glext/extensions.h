// extensions.h - which OpenGL versions and extensions the driver offers, and their entry points.
//
// initExtensions runs once at start-up with the context current. It sets one flag per known
// core version and extension in g_extensions and looks up the functions of everything offered
// into the pointers of namespace glext, named like the functions themselves
// (glext::glActiveTextureARB). What is not offered keeps a null pointer.
//
// The window-system stage (WGL on Windows) finds nothing on the SDL platform: SDL offers no
// window-system extension string, so those flags stay 0.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

// Functions of NV_element_array, which the system's glext.h does not carry.
typedef void(APIENTRYP PFNGLELEMENTPOINTERNVPROC)(GLenum type, const void* pointer);
typedef void(APIENTRYP PFNGLDRAWELEMENTARRAYNVPROC)(GLenum mode, GLint first, GLsizei count);
typedef void(APIENTRYP PFNGLDRAWRANGEELEMENTARRAYNVPROC)(GLenum mode, GLuint start, GLuint end,
                                                         GLint first, GLsizei count);
typedef void(APIENTRYP PFNGLMULTIDRAWELEMENTARRAYNVPROC)(GLenum mode, const GLint* first,
                                                         const GLsizei* count, GLsizei primcount);
typedef void(APIENTRYP PFNGLMULTIDRAWRANGEELEMENTARRAYNVPROC)(GLenum mode, GLuint start, GLuint end,
                                                              const GLint* first,
                                                              const GLsizei* count,
                                                              GLsizei primcount);

// 1 = offered, 0 = not offered.
struct ExtensionFlags {
    int OpenGL12;
    int OpenGL13;
    int OpenGL14;
    // One flag per OpenGL extension, named without the "GL_" prefix (ARB_multitexture).
#define GLEXT_GL(name) int name;
#define GLEXT_WGL(name)
#include "glext/extension_list.inc"
#undef GLEXT_GL
#undef GLEXT_WGL
    // The window system's extensions, named without the "WGL_" prefix.
    struct WindowSystem {
        int getExtensionsStringARB;  // the two ways of asking for the extension string
        int getExtensionsStringEXT;
#define GLEXT_GL(name)
#define GLEXT_WGL(name) int name;
#include "glext/extension_list.inc"
#undef GLEXT_GL
#undef GLEXT_WGL
    } wgl;
};

extern ExtensionFlags g_extensions;

namespace glext {

using WglProc = void (*)();

#define GLEXT_ENTRY(group, name, type) extern type name;
#define GLEXT_ALSO(group, name)
#include "glext/gl_entry_points.inc"
#undef GLEXT_ENTRY
#undef GLEXT_ALSO

extern WglProc wglGetExtensionsStringARB;
extern WglProc wglGetExtensionsStringEXT;
#define GLEXT_WGL_ENTRY(group, name) extern WglProc name;
#include "glext/wgl_entry_points.inc"
#undef GLEXT_WGL_ENTRY

}  // namespace glext

// What the loader learns from the driver. initExtensions() fills it from the current context;
// tests describe a driver of their own.
struct ExtensionSource {
    const char* version = nullptr;     // GL_VERSION, null without a context
    const char* extensions = nullptr;  // GL_EXTENSIONS, null without a context
    // Entry point of a named function, or null.
    void* (*lookup)(const char* name) = nullptr;
    // The window system's extension string; null where the platform has no way to ask.
    const char* windowSystemExtensions = nullptr;
};

// 0 on success; 1 when an offered window-system extension lacks one of its functions. A
// missing OpenGL function only leaves its pointer null. Clears every flag and pointer first.
int initExtensions(const ExtensionSource& source);
// The same for the current context, looking functions up through the platform layer.
int initExtensions();

// Whole-word search of name in the current context's GL_EXTENSIONS string.
bool isExtensionSupported(const char* name);
// Whole-word search of name in a blank-separated list. An empty name, or one with a blank,
// is never found.
bool extensionListContains(const char* list, const char* name);

// Core version flags from a GL_VERSION string: "<major>.<minor>..." as drivers report it.
void setCoreVersionFlags(const char* version, ExtensionFlags& flags);
