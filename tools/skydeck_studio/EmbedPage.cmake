# Builds the studio's page into a C++ source: index.html with studio.css and studio.js put in
# at their markers, as one byte array.
#   cmake -DPAGE_DIR=<folder of the three files> -DOUT=<source to write> -P EmbedPage.cmake
file(READ ${PAGE_DIR}/index.html html)
file(READ ${PAGE_DIR}/studio.css css)
file(READ ${PAGE_DIR}/studio.js js)
string(REPLACE "<!--STYLE-->" "<style>\n${css}</style>" html "${html}")
string(REPLACE "<!--SCRIPT-->" "<script>\n${js}</script>" html "${html}")
file(WRITE ${OUT}.html "${html}")
file(READ ${OUT}.html hex HEX)
string(LENGTH "${hex}" length)
math(EXPR bytes "${length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," hex "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){24})" "\\1\n" hex "${hex}")
file(WRITE ${OUT}.new
     "// Generated from tools/skydeck_studio/page by EmbedPage.cmake; do not edit.\n"
     "#include \"studio_page.h\"\n\n"
     "namespace XPL::STUDIO {\n\n"
     "namespace {\nconst unsigned char kPage[] = {\n${hex}};\n}  // namespace\n\n"
     "std::string_view StudioPage() {\n"
     "    return {reinterpret_cast<const char*>(kPage), ${bytes}};\n}\n\n"
     "}  // namespace XPL::STUDIO\n")
file(REMOVE ${OUT}.html)
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different ${OUT}.new ${OUT})
file(REMOVE ${OUT}.new)
