# `make package`: a Debian package of what cmake/install.cmake installs, under /usr. The
# libraries it depends on are read from the executable by dpkg-shlibdeps (from dpkg-dev).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME spraywick)
# Installed into a staging DESTDIR with the real prefix, so that paths written at install time
# (the menu entry's) are the package's.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${SPRAYWICK_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${SPRAYWICK_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "endless water-ski arcade game seen from above")
set(CPACK_PACKAGE_DESCRIPTION "\
The sea scrolls diagonally, a speedboat tows your skier on a long rope, and\n\
you swing the skier around the boat with the arrow keys. Sea creatures rise\n\
from the depth and buoys pass by; touching either ends the run. The best\n\
score is kept in your home folder.")
include(CPack)
