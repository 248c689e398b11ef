// mesh.cpp - normals, display lists, drawing and loading of one mesh.
#include "mesh/mesh.h"

#include <GL/gl.h>

#include <cstdlib>
#include <string>

#include "archive/archive.h"
#include "platform/platform.h"

void Mesh::buildDisplayLists() {
    // Layers after the first missing one get no lists.
    for (int l = 0; l < kMaxLayers && layers[l]; ++l) {
        MeshLayer& layer = *layers[l];
        for (size_t s = 0; s < surfaces.size(); ++s) {
            const GLuint list = glGenLists(1);
            layer.displayLists[s] = list;
            glNewList(list, GL_COMPILE);
            glPushAttrib(GL_ENABLE_BIT);
            surfaces[s].hasUV = false;
            glBegin(GL_TRIANGLES);
            for (const MeshPolygon& polygon : layer.polygons) {
                if (polygon.surface != s) continue;
                // Reverse corner order: LightWave's clockwise faces become counter-clockwise.
                for (int k = 2; k >= 0; --k) {
                    const Vector3& n = polygon.cornerNormals[k];
                    const Vector3& p = layer.points[polygon.points[k]];
                    glNormal3f(n.x, n.y, n.z);
                    glVertex3f(p.x, p.y, p.z);
                }
            }
            glEnd();
            glPopAttrib();
            glEndList();
        }
    }
}

int Mesh::setupSurface(int layerIndex, int s) {
    if (s < 0 || s >= static_cast<int>(surfaces.size())) return 0;
    Surface& surface = surfaces[s];
    const MeshLayer* layer = this->layer(layerIndex);
    int uvMap = 0;

    if (surface.doubleSided) {
        glDisable(GL_CULL_FACE);
    } else {
        glEnable(GL_CULL_FACE);
    }
    glDisable(GL_TEXTURE_2D);

    // Grey levels: with colour material on, ambient and diffuse follow the colour anyway.
    const GLfloat ambient[4] = {surface.luminosity, surface.luminosity, surface.luminosity, 1.0f};
    const GLfloat diffuse[4] = {surface.diffuse, surface.diffuse, surface.diffuse, 1.0f};
    const GLfloat specular[4] = {surface.specular, surface.specular, surface.specular, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glColor3f(surface.color[0], surface.color[1], surface.color[2]);
    glEnable(GL_COLOR_MATERIAL);

    if (!surface.blocks.empty() && surface.blocks[0].image != 0) {
        const TextureBlock& block = surface.blocks[0];
        // The image itself is the caller's bound texture; the clip only says there is one.
        for (const ImageClip& clip : clips) {
            if (clip.index != block.image) continue;
            glEnable(GL_TEXTURE_2D);
            glColor3f(1.0f, 1.0f, 1.0f);
            break;
        }
        // Planar mapping repeats every 4 units along the two axes across the block's axis.
        GLfloat planeS[4] = {0, 0, 0, 0};
        GLfloat planeT[4] = {0, 0, 0, 0};
        switch (block.axis) {
            case 0:
                planeS[1] = 0.25f, planeT[2] = 0.25f;
                break;
            case 1:
                planeS[2] = 0.25f, planeT[0] = 0.25f;
                break;
            case 2:
                planeS[1] = 0.25f, planeT[0] = 0.25f;
                break;
            default:
                break;
        }
        if (block.projection == 0 || block.projection == 2) {
            // Spherical asks for eye-linear generation, which reads the current eye planes.
            const GLint mode = block.projection == 0 ? GL_OBJECT_LINEAR : GL_EYE_LINEAR;
            glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, mode);
            glTexGenfv(GL_S, GL_OBJECT_PLANE, planeS);
            glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, mode);
            glTexGenfv(GL_T, GL_OBJECT_PLANE, planeT);
            glEnable(GL_TEXTURE_GEN_S);
            glEnable(GL_TEXTURE_GEN_T);
        } else if (block.projection == 5 && !block.uvMapName.empty() && layer) {
            for (size_t m = 0; m < layer->uvMaps.size(); ++m) {
                if (layer->uvMaps[m].name != block.uvMapName) continue;
                surface.hasUV = true;
                uvMap = static_cast<int>(m);
                break;
            }
        }
    }

    if (surface.opacityType == Surface::kAdditive) {
        glColor4f(1.0f, 1.0f, 1.0f, surface.opacity);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glDisable(GL_LIGHTING);
        glEnable(GL_BLEND);
    } else {
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_LIGHTING);
        glDisable(GL_BLEND);
    }
    return uvMap;
}

void Mesh::drawLayer(MeshLayer& layer, int layerIndex, bool immediate, bool material) {
    for (int s = 0; s < kMaxSurfaces; ++s) {
        if (layer.displayLists[s] == 0) continue;
        glPushAttrib(GL_ENABLE_BIT);
        if (material) setupSurface(layerIndex, s);
        if (!immediate) {
            glCallList(layer.displayLists[s]);
            glPopAttrib();
            continue;
        }
        glPushAttrib(GL_ENABLE_BIT);
        Surface& surface = surfaces[s];
        surface.hasUV = false;
        const int uvIndex = material ? setupSurface(layerIndex, s) : 0;
        const UVMap* uvMap = surface.hasUV && uvIndex < static_cast<int>(layer.uvMaps.size()) &&
                                     !layer.uvMaps[uvIndex].entries.empty()
                                 ? &layer.uvMaps[uvIndex]
                                 : nullptr;
        glBegin(GL_TRIANGLES);
        for (const MeshPolygon& polygon : layer.polygons) {
            if (polygon.surface != s) continue;
            for (int k = 2; k >= 0; --k) {
                const Vector3& n = polygon.cornerNormals[k];
                glNormal3f(n.x, n.y, n.z);
                if (uvMap) {
                    for (const UVEntry& entry : uvMap->entries) {
                        if (entry.point != polygon.points[k]) continue;
                        const GLfloat uv[2] = {entry.u, entry.v};
                        glTexCoord2fv(uv);
                        break;
                    }
                }
                const Vector3& p = layer.points[polygon.points[k]];
                glVertex3f(p.x, p.y, p.z);
            }
        }
        glEnd();
        glPopAttrib();
        glPopAttrib();
    }
    glDepthMask(GL_TRUE);
}

void Mesh::draw(int layerIndex, bool immediate, bool material) {
    if (layerIndex == kAllLayers) {
        for (int l = 0; l < kMaxLayers; ++l) {
            if (layers[l]) drawLayer(*layers[l], l, immediate, material);
        }
        return;
    }
    if (MeshLayer* layer = this->layer(layerIndex))
        drawLayer(*layer, layerIndex, immediate, material);
}

bool Mesh::loadFromMemory(const char* entryName, const uint8_t* data, size_t size) {
    name = entryName ? entryName : "";
    std::string problem;
    LwoStatus status = read(data, size, &problem);
    // Not an object at all: as damaged as any other, said and left out (lwoinfo still tells
    // it apart by its status).
    if (status == LwoStatus::NotForm) {
        status = LwoStatus::Damaged;
        problem = "not an IFF FORM file";
    }
    if (status == LwoStatus::NotTriangles || status == LwoStatus::UVNot2D) {
        // Other tools and stored files rely on these two stopping the program.
        if (const char* message = fatalMessage(status)) platform::showMessage(message);
        std::exit(fatalExitStatus(status));
    }
    if (status != LwoStatus::Ok) {
        const std::string what = name +
                                 (status == LwoStatus::Damaged ? " is damaged and was not loaded: "
                                                               : " was not loaded: ") +
                                 problem;
        platform::showMessageWith("Object %s", what.c_str());
        clear();  // nothing half-read is left to draw
        return false;
    }
    computeNormals();
    buildDisplayLists();
    return true;
}

unsigned char* Mesh::readEntry(const char* entryName, size_t* size) {
    unsigned char* data = Archive::loadEntry(size, entryName);
    if (!data) platform::showMessageWith("Object could not be read: %s", entryName);
    return data;
}

bool Mesh::load(const char* entryName) {
    size_t size = 0;
    unsigned char* data = readEntry(entryName, &size);
    if (!data) return false;
    const bool loaded = loadFromMemory(entryName, data, size);
    std::free(data);
    return loaded;
}
