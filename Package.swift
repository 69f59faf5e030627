// swift-tools-version:6.0
import PackageDescription

let package = Package(
    name: "Tallix",
    defaultLocalization: "en",
    products: [
        .library(name: "QVRTallixModel", targets: ["QVRTallixModel"]),
        .executable(name: "tallix", targets: ["tallix"]),
        .executable(name: "tallix-bench", targets: ["tallix-bench"]),
    ],
    targets: [
        .target(
            name: "QVRTallixModel",
            resources: [.copy("Resources")],
            swiftSettings: [.swiftLanguageMode(.v6)]
        ),
        .target(
            name: "TallixCommandLine",
            dependencies: ["QVRTallixModel"],
            swiftSettings: [.swiftLanguageMode(.v6)]
        ),
        .executableTarget(
            name: "tallix",
            dependencies: ["TallixCommandLine"],
            swiftSettings: [.swiftLanguageMode(.v6)]
        ),
        .executableTarget(
            name: "tallix-bench",
            dependencies: ["QVRTallixModel", "TallixCommandLine"],
            swiftSettings: [.swiftLanguageMode(.v6)]
        ),
        .testTarget(
            name: "QVRTallixModelTests",
            dependencies: ["QVRTallixModel", "TallixCommandLine"],
            swiftSettings: [.swiftLanguageMode(.v6)]
        ),
    ]
)
