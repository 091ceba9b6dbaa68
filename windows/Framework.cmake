# The control framework over real OLE: filled in by the framework work.
