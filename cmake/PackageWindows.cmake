# The Windows zip (CPack ZIP) and the NSIS installer.
