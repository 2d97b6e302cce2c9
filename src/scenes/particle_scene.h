#pragma once
// A scene object holding 300 particles spawned around a fixed emitter and
// five pictures read from TGA files. Constructing it is all it does: it
// spawns the particles, loads the pictures and sets some material and
// culling state. Nothing draws it.

#include <cstdint>
#include <memory>

#include "assets/texture.h"
#include "scenes/vector3.h"

namespace tev {

constexpr int PARTICLE_COUNT = 300;

struct Particle {
    Vector3 position;
    Vector3 auxiliary;
    Vector3 velocity;
    Vector3 spread;
    float life = 0.0f;
    float size = 0.0f;
};

struct ParticleSystem {
    std::unique_ptr<Particle[]> particles;  // owned: released with the scene
    Vector3 origin;
    Vector3 force;
};

extern Vector3 emitterPosition;

// The scene's pictures, one per file, and what each load returned.
struct ParticlePicture {
    const char* path;
    bool colourKey;
};
extern const ParticlePicture kParticlePictures[5];
extern Texture particleTextures[5];
extern int particleTextureResults[5];

class ParticleScene {
  public:
    ParticleScene();

    // Redraws particle `index` around `emitter`: seven random values.
    void respawnParticle(int index, Vector3 emitter);

    // Spawns every particle in a thin column about the y axis, sets the
    // force, and loads the five pictures. Returns 1, or 0 without particles.
    int initParticles(Vector3 first, Vector3 second);

    Vector3 eye;
    Vector3 centre;
    Vector3 up;
    ParticleSystem system;
    uint8_t ready = 0;  // 1 once construction has completed with its particles
};

// U(a, b): the next random value mapped onto [a, b].
float randomBetween(float a, float b);

}  // namespace tev
