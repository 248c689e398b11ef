// reflect_spheres_effect.h - eight chrome spheres swinging around each other, each reflecting
// a sky and the other spheres through cube maps rendered every frame from its own centre.
//
// Every frame each sphere's scene is drawn six times, once per cube face, into 64 x 64 tiles
// side by side in a corner of the framebuffer and read back into that sphere's back map; the
// final spheres show their back maps, then back and front swap. Reflection passes draw the
// other spheres with their front maps, so reflections of reflections are one frame old. The picture stands in
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
    // Turns on cube mapping with reflection-vector coordinates (the generation mode of s, t
    // and r stays reflection-map); the caller saves and restores the enable bits around it.
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
    // through 64 x 64 tiles in the window's lower-left corner (as many at a time as the window
    // holds), mipmaps included. Leaves the cube faces' projection; the caller restores the
    // window's.
    void renderReflections();
    // Refills the frustum from the current projection and model-view matrices.
    void extractFrustum();
    // The sky sphere around the eye, textured with the bound picture.
    void drawSky(int detail);

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
    // Which passes are drawn this frame (itemsSeen for every face of every item), and which
    // drawn pass fills each face.
    void planPasses();
    // Draws the planned passes side by side, reads them back and builds their mipmap chains.
    void drawPassesAndReadBack();
    // The mipmap chain of drawn pass pass.
    unsigned char* passChain(int pass);

    struct Pass {
        int item, face, seenCount;
        ReflectedItem* seen[kItems];
    };
    Pass passes_[kItems * 6];
    int passCount_ = 0;
    int faceSource_[kItems][6];
    // The mipmap chains of the drawn passes, and the tiles of one read.
    std::vector<unsigned char> chains_;
    std::vector<unsigned char> region_;
};

extern ReflectSpheresEffect g_reflectSpheres;
