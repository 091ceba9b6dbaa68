# The module resources (.rc) and the type library (IDL through widl).
