#include "renderer/tunnel_scene.h"

#include "renderer/texture_upload.h"

namespace mirokan {
namespace {

constexpr double kFieldOfView = 45.0;
constexpr double kNearPlane = 1.0;
constexpr double kFarPlane = 100.0;
constexpr GLfloat kTunnelShift = -4.2f;
constexpr int kFullBrightSections = 25;  // sections 25 to 30 fade to 0.4

void Corner(float s, float t, const TunnelVertex& vertex) {
  glTexCoord2f(s, t);
  glVertex3f(vertex.x, vertex.y, vertex.z);
}

}  // namespace

void BindTunnelTexture(GLuint& texture) {
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
}

void BuildTunnelTexture(std::int32_t width, std::int32_t height, const std::uint8_t* rgb_rows,
                        GLuint& texture) {
  BindTunnelTexture(texture);
  UploadTextureLevels(width, height, rgb_rows);
}

void TunnelScene::SetupScene(const TextureLoader& load_texture) {
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glShadeModel(GL_SMOOTH);
  glClearDepth(1.0);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glEnable(GL_TEXTURE_2D);
  GLuint name = 0;
  load_texture(name);  // its result tells nothing: a loader that cannot load ends the program
  texture_.Reset(name);
}

void TunnelScene::ResizeScene(std::int32_t width, std::int32_t height) {
  Project(0, 0, width, height);
}

void TunnelScene::Project(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
  if (height == 0) height = 1;
  glViewport(x, y, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(kFieldOfView, static_cast<double>(width) / height, kNearPlane, kFarPlane);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void TunnelScene::DrawTunnelFrame(double phase) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  glTranslatef(0.0f, 0.0f, kTunnelShift);
  RecomputeTunnelGrid(phase, grid_);
  DrawWalls(phase);
}

void TunnelScene::DrawTunnelFrame(std::span<const TunnelView> views, double phase) {
  // The clear ignores the viewport: the whole window starts black.
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  RecomputeTunnelGrid(phase, grid_);
  for (const TunnelView& view : views) {
    if (view.texture == 0) continue;
    Project(view.x, view.y, view.width, view.height);
    glTranslatef(0.0f, 0.0f, kTunnelShift);
    glBindTexture(GL_TEXTURE_2D, view.texture);
    DrawWalls(phase);
  }
}

void TunnelScene::DrawWalls(double phase) const {
  // The texture repeats: s starts a quarter turn back so the picture's left edge runs along
  // the top of the tunnel, and t runs on as the picture slides outwards (from its place in
  // the picture's current turn, so that it keeps its precision all night).
  const double scroll = TextureScroll(phase);
  for (int ring = 0; ring < kTunnelSections; ++ring) {
    const auto t0 = static_cast<float>(ring / 32.0 + scroll);
    const auto t1 = static_cast<float>((ring + 1) / 32.0 + scroll);
    const auto brightness =
        ring < kFullBrightSections ? 1.0f : static_cast<float>(1.0 - (ring - 24) / 10.0);
    glColor3f(brightness, brightness, brightness);
    glBegin(GL_QUADS);
    for (int column = 0; column < kTunnelColumns - 1; ++column) {
      const auto s0 = static_cast<float>((column - 3) / 12.0);
      const auto s1 = static_cast<float>((column - 2) / 12.0);
      Corner(s0, t0, grid_.At(column, ring));
      Corner(s1, t0, grid_.At(column + 1, ring));
      Corner(s1, t1, grid_.At(column + 1, ring + 1));
      Corner(s0, t1, grid_.At(column, ring + 1));
    }
    glEnd();
  }
}

}  // namespace mirokan
