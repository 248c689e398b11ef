// reflect_spheres_effect.h - eight chrome spheres swinging around each other, each reflecting
// a sky and the other spheres through cube maps rendered every frame from its own centre.
//
// Every frame each sphere's scene is drawn six times, once per cube face, into a 64 x 64
// corner of the framebuffer and read back into that sphere's back map; the final spheres show
// their back maps, then back and front swap. Reflection passes draw the other spheres with
// their front maps, so reflections of reflections are one frame old. The picture stands in
// front of a letterbox backdrop with two scrolling strips at the left edge.
#pragma once

#include <vector>

#include "effects/effect.h"
#include "math/plane.h"
#include "math/vector3.h"

struct GLUquadric;

// An item the spheres reflect: drawn in one of two modes and culled against a frustum.
class ReflectedItem {
  public:
    // mode 0: the final picture (fine, back map); mode 1: inside a reflection pass (coarse,
    // front map).
    virtual void draw(int mode) = 0;
    // Greater than 0 when the item is at least partly inside the six planes.
    virtual float cullDistance(const Plane* planes) const = 0;

  protected:
    ~ReflectedItem() = default;
};

// A cube-map texture of size x size faces; whoever fills a face fills its mipmap levels.
struct CubeMapTexture {
    unsigned texture;
    int size;

    void create(int faceSize);
    // Pushes the enable bits and turns on cube mapping with reflection-vector coordinates
    // (the generation mode of s, t and r stays reflection-map); the caller pops the
    // attributes.
    void bind() const;
};

class ReflectSphere : public ReflectedItem {
  public:
    void draw(int mode) override;
    float cullDistance(const Plane* planes) const override;

    CubeMapTexture frontMap;  // seen in the other spheres' reflection passes
    CubeMapTexture backMap;   // rendered into this frame, shown in the final picture
    Vector3 position;
    int fineDetail;    // slices and stacks in the final picture
    int coarseDetail;  // slices and stacks in reflection passes
    float radius;
    GLUquadric* quadric;
};

class ReflectSpheresEffect : public Effect {
  public:
    static constexpr int kItems = 8;
    static constexpr int kMapSize = 64;

    void prepare() override;
    void render(float time, float delta) override;

    // Item k's place at time t, in the frame the effect draws in.
    static Vector3 itemPosition(int k, float time);
    // Every item's back map gets the scene (sky and the other items) seen from its centre,
    // one face after another, through the 64 x 64 corner, mipmaps included. Leaves the
    // corner's viewport and projection; the caller restores the window's.
    void renderReflections();
    // Refills the frustum from the current projection and model-view matrices.
    void extractFrustum();
    // The sky sphere around the eye, textured with the bound picture.
    void drawSky(int detail);

    BillboardFrame sprites;  // not used by this effect
    ReflectSphere items[kItems];
    Plane frustum[6];
    ReflectedItem* list[kItems];
    int count;

  private:
    void drawScene(float time, bool withSky);
    // The items face face of item i sees, after frustum culling, into seen; their number.
    // Leaves the frustum of that face.
    int itemsSeen(int i, int face, ReflectedItem** seen);
    // Face face of item i's back map, drawn into the current viewport: the sky and the seen
    // items.
    void drawReflectionPass(int i, int face, ReflectedItem* const* seen, int seenCount);
    GLUquadric* quadric_;
    // Mipmap chains: the face read back, then the sky alone of each face.
    std::vector<unsigned char> chains_;
};

extern ReflectSpheresEffect g_reflectSpheres;
