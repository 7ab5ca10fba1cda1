// Renders the neon effect: from the NeonSettings it is given, builds the distance field of the
// input layer and draws strokes, glow and composite in one full-screen pass into the
// RenderTarget's top layer. One instance per loaded module; used on the render thread with its
// context current, one render at a time; no lock.
#pragma once

#include "effect/neon/DistanceFieldGenerator.h"
#include "effect/controls/NeonSettings.h"
#include "effect/controls/Reach.h"

#include "effect/gl/FullScreenQuad.h"
#include "effect/gl/GlObject.h"
#include "effect/gl/OpenglShader.h"
#include "effect/gl/Vec2.h"

#include <glbinding/gl33core/gl.h>

#include <array>
#include <cstdint>
#include <string>

namespace Kelvane {
namespace Neon {

class RenderTarget;

// The stroke pass's fragment program text, its stroke settings included: as the pass is
// written (every stroke, colour mode and the composite in every fragment), or the fast
// program for one composite, which reads each stroke from the stroke table, or, profiled,
// reads the strokes' sum from the stroke profile.
std::string strokeFragmentSource(bool straightforward = true, bool overOrigin = true,
                                 bool profiled = false, bool toHost = false);

// Nodes the stroke profile needs across its narrowest feature to be used.
constexpr double kProfileNodesPerFeature = 64.0;

// The stroke profile of a frame: `nodes` sums of every stroke, evenly spaced in encoded
// distance, `step` apart, node `zeroNode` at distance 0 (so node 0 at `start`); used where that
// spacing is fine enough (`fits`).
struct StrokeProfile {
    bool fits = false;
    double start = 0.0;
    double step = 0.0;
    std::int32_t zeroNode = 0;
    std::int32_t nodes = 0;
};
StrokeProfile strokeProfile(const NeonSettings& settings, std::int32_t nodes);

class NeonRenderer {
public:
    // Draws through `target`, which outlives it; its options choose the passes.
    explicit NeonRenderer(RenderTarget& target);
    virtual ~NeonRenderer();
    NeonRenderer(const NeonRenderer&) = delete;
    NeonRenderer& operator=(const NeonRenderer&) = delete;

    // The settings the next renders draw with.
    void setSettings(const NeonSettings& next) { settings = next; }
    // Needs the frame's context current and the RenderTarget begun.
    void render(gl::GLuint inputTexture, const Vec2d& frameSize);
    // The same in two halves, so that a frame can let go of its input between them where the
    // strokes do not read it (`readsLayerColour`): the distance field and the stroke table,
    // which need no layer begun, then the stroke pass into the begun layer.
    void prepare(gl::GLuint inputTexture, const Vec2d& frameSize);
    // With `toHost`, a frame that `drawsToHost` is drawn straight into the host's order, as
    // the layer and the conversion would make it, into the framebuffer bound.
    void drawStrokes(gl::GLuint inputTexture, const Vec2d& frameSize, bool toHost = false);
    // Whether drawStrokes can draw into the host's order: the fast "Only Neon" frames (one
    // sample a pixel, so no resolve), where the target says the layer's store and the
    // conversion's read are arithmetic the stroke pass can do.
    bool drawsToHost();

    // Whether the frame's layer must be multisampled for the bytes of the passes as written:
    // only where a pixel's samples may differ (see the definition).
    bool layerNeedsSamples() const;
    // Whether the stroke pass reads the layer's colour; else only the seeds read it, its alpha
    // alone (only "Neon And Origin", and the passes as written, read colour).
    bool readsLayerColour() const { return layerNeedsSamples(); }

    const NeonSettings& currentSettings() const { return settings; }
    // Deletes every GL object (root context current); abandon forgets them without a call.
    // Either leaves nothing for the destructor to delete; a later render makes them again.
    void release();
    void abandon();

private:
    // The settings every stroke program reads (StrokeSettings.glsl).
    void setStrokeSettings(OpenglShader& program) const;
    // Makes the stroke table (in the frame's share group) unless it exists: the texture the
    // table pass draws, and the buffer the stroke pass reads it from.
    void ensureStrokeTable();

    // The stroke profile of the frame's settings, drawn where it fits (after the table).
    void drawProfile();
    // The most nodes this context's textures hold, up to the wanted number.
    std::int32_t profileNodes();

    std::array<OpenglShader*, 9> programs();
    // Whether the target's options ask for the passes as written.
    bool straightforward() const;

    RenderTarget& target;
    FullScreenQuad quad;
    OpenglShader strokeProgram;     // "Only Neon"
    OpenglShader overOriginProgram; // "Neon And Origin"
    OpenglShader asWrittenProgram;  // either composite, as the pass is written
    OpenglShader profiledProgram;   // "Only Neon" from the stroke profile
    OpenglShader profiledOverOriginProgram;
    OpenglShader toHostProgram; // "Only Neon" into the host's order
    OpenglShader profiledToHostProgram;
    OpenglShader strokeTableProgram;
    OpenglShader profileProgram;
    Texture profileTexture;
    StrokeProfile profile;
    std::int32_t maxProfileNodes = 0;
    Texture strokeTable;
    Buffer strokeTableBuffer;
    // kMaxStrokes colours, then as many positions and glow strengths, as std140 vec4 arrays.
    static constexpr gl::GLsizeiptr kStrokeTableBytes = kMaxStrokes * 2 * 4 * sizeof(float);
    DistanceFieldGenerator distanceField;
    NeonSettings settings;
    // Set by render, cleared by release and abandon: whether GL objects may exist.
    bool holdsGlObjects = false;
};

} // namespace Neon
} // namespace Kelvane
