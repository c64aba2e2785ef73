// A subsystem that has no sources yet still builds as a library.
