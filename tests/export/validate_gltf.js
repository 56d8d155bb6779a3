// Runs the Khronos glTF validator on one .glb or .gltf file (with the files beside it).
// Usage: node validate_gltf.js NODE_MODULES_DIR FILE
// Prints every issue and exits 1 on any error or warning, 0 when the file is clean.
'use strict';
const fs = require('fs');
const path = require('path');
const validator = require(path.join(process.argv[2], 'gltf-validator'));

const file = process.argv[3];
const folder = path.dirname(file);
validator
    .validateBytes(new Uint8Array(fs.readFileSync(file)), {
        uri: path.basename(file),
        maxIssues: 100,
        externalResourceFunction: async (uri) =>
            new Uint8Array(fs.readFileSync(path.resolve(folder, decodeURIComponent(uri)))),
    })
    .then((report) => {
        for (const m of report.issues.messages) {
            if (m.severity <= 1) console.log(`${m.code} ${m.pointer || ''}: ${m.message}`);
        }
        const bad = report.issues.numErrors + report.issues.numWarnings;
        process.exit(bad > 0 ? 1 : 0);
    }, (error) => {
        console.log(String(error));
        process.exit(1);
    });
