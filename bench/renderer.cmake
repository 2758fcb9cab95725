# Renderer benchmarks: the snapshot parse against a plain read of the same bytes, one frame's
# geometry, and the texture build on Mesa (EGL offscreen).
mirokan_benchmark(bench_bitmap_reader SOURCES bitmap_reader_bench.cpp LIBS mirokan_renderer_core)
target_include_directories(bench_bitmap_reader PRIVATE ${PROJECT_SOURCE_DIR}/tests/unit/renderer)

mirokan_benchmark(bench_tunnel SOURCES tunnel_bench.cpp LIBS mirokan_renderer_core)
if(TARGET mirokan_egl_offscreen)
  target_sources(bench_tunnel PRIVATE tunnel_texture_bench.cpp)
  target_link_libraries(bench_tunnel PRIVATE mirokan_tunnel_scene mirokan_egl_offscreen)
  target_include_directories(bench_tunnel PRIVATE ${PROJECT_SOURCE_DIR}/tests/unit/renderer)
endif()
