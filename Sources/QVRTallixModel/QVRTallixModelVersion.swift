/// The version exports of the library (not read by the library itself).
public let QVRTallixModelVersionString = "@(#)PROGRAM:QVRTallixModel  PROJECT:Model-1\n"
public let QVRTallixModelVersionNumber: Double = 1.0
