# The Debian package (CPack DEB).
