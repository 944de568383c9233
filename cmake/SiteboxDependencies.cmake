# Every library comes from a Debian package; pkg-config names them.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(nlohmann_json 3.10 REQUIRED)

pkg_check_modules(GLIBMM REQUIRED IMPORTED_TARGET glibmm-2.4 giomm-2.4)
pkg_check_modules(LIBPLIST REQUIRED IMPORTED_TARGET libplist-2.0)
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo)
pkg_check_modules(GDKPIXBUF REQUIRED IMPORTED_TARGET gdk-pixbuf-2.0)
pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
pkg_check_modules(GTKMM REQUIRED IMPORTED_TARGET gtkmm-3.0)
pkg_check_modules(KEYBINDER REQUIRED IMPORTED_TARGET keybinder-3.0)
pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11)
