# The toolkit library's own resources: the two scroll-bar pictures (drawn here as SVG and
# rendered at build time) and the Open Sans Semibold font. Included by toolkit/CMakeLists.txt
# after the Zelvo target is defined.
set(VQ_OPEN_SANS_SEMIBOLD /usr/share/fonts/truetype/open-sans/OpenSans-Semibold.ttf)
if(NOT EXISTS ${VQ_OPEN_SANS_SEMIBOLD})
  message(FATAL_ERROR "${VQ_OPEN_SANS_SEMIBOLD} is missing: install fonts-open-sans (tools/setup-debian.sh)")
endif()
set(vq_scroll_h_png ${CMAKE_CURRENT_BINARY_DIR}/resources/scroll_horizontal.png)
set(vq_scroll_v_png ${CMAKE_CURRENT_BINARY_DIR}/resources/scroll_vertical.png)
file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/resources)
vq_render_svg(${vq_scroll_h_png} ${PROJECT_SOURCE_DIR}/toolkit/resources/scroll_horizontal.svg 22 20)
vq_render_svg(${vq_scroll_v_png} ${PROJECT_SOURCE_DIR}/toolkit/resources/scroll_vertical.svg 12 72)
vq_embed_resources(Zelvo ENTRIES
  PNG 101 ${vq_scroll_h_png}
  PNG 102 ${vq_scroll_v_png}
  TTF 106 ${VQ_OPEN_SANS_SEMIBOLD})
