# The raster image library, its file classes and the PNG writer: part of the
# portable core.
