# The system libraries for Windows and the module VE_VIRIZU.OCX.
