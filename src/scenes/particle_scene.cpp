#include "scenes/particle_scene.h"

#include <new>

#include "assets/tga_loader.h"
#include "gl11/gl11.h"
#include "proc/crt_random.h"

namespace tev {

Vector3 emitterPosition{0.0f, 20.0f, 0.0f};

const ParticlePicture kParticlePictures[5] = {
    {"data/leaf.tga", true}, {"data/block.tga", false}, {"data/flare.tga", false},
    {"data/tex.tga", false}, {"data/n.tga", true},
};
Texture particleTextures[5];
int particleTextureResults[5] = {};

float randomBetween(float a, float b) {
    const float unit = static_cast<float>(rand() & 0x7fff) * 3.0518509e-05f;
    return unit * (b - a) + a;
}

ParticleScene::ParticleScene() {
    // Every particle cleared to zeros; a failed allocation leaves none.
    system.particles.reset(new (std::nothrow) Particle[PARTICLE_COUNT]());
    ready = 0;
    if (initParticles({0.0f, 0.0f, 0.0f}, {0.0f, -3.1f, 0.0f}) == 0) return;
    eye = {0.0f, 80.0f, 100.0f};
    centre = {0.0f, 0.0f, 0.0f};
    up = {0.0f, 1.0f, 0.0f};
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 5.0f);
    glEnable(GL_DITHER);
    glCullFace(GL_FRONT);
    glFrontFace(GL_CCW);
    ready = 1;
}

void ParticleScene::respawnParticle(int index, Vector3 emitter) {
    Particle& p = system.particles[index];
    p.velocity.x = randomBetween(-6.0f, 6.0f) * p.spread.x;
    p.velocity.y = randomBetween(0.0f, 16.0f) * p.spread.y;
    p.velocity.z = randomBetween(-6.0f, 6.0f) * p.spread.z;
    p.position.x = randomBetween(-10.0f, 10.0f) + emitter.x;
    p.position.y = emitter.y;
    p.position.z = randomBetween(-10.0f, 10.0f) + emitter.z;
    p.size = randomBetween(16.0f, 20.0f);
    p.life = randomBetween(40.0f, 100.0f);
}

int ParticleScene::initParticles(Vector3, Vector3 second) {
    if (!system.particles) return 0;
    for (int i = 0; i < PARTICLE_COUNT; ++i) {
        Particle& p = system.particles[i];
        p.spread = {0.5f, 0.075f, 0.5f};
        respawnParticle(i, emitterPosition);
        p.position.x = randomBetween(-1.0f, 1.0f);
        p.position.y = randomBetween(-100.0f, 100.0f);
        p.position.z = randomBetween(-1.0f, 1.0f);
        p.life = i < 150 ? randomBetween(0.0f, 40.0f) : randomBetween(0.0f, 10.0f);
    }
    system.origin = {0.0f, 0.0f, 0.0f};
    system.force = second;
    for (int i = 0; i < 5; ++i) {
        particleTextureResults[i] =
            loadTga(particleTextures[i], kParticlePictures[i].path, kParticlePictures[i].colourKey);
    }
    return 1;
}

}  // namespace tev
