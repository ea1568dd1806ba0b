#include "core/input/islands.h"

#include "core/model/network.h"

namespace nodewise {

std::optional<CutOffNodes> FindCutOffNodes(const Network& network) {
    const int n = network.ActiveNodeCount();
    if (n < 2) {
        return std::nullopt;
    }
    // Label each group of joined nodes by its first node, spreading from it.
    int group[MaxNodes];
    for (int i = 0; i < n; ++i) {
        group[i] = -1;
    }
    for (int start = 0; start < n; ++start) {
        if (group[start] >= 0) {
            continue;
        }
        int pending[MaxNodes];
        int count = 0;
        group[start] = start;
        pending[count++] = start;
        while (count > 0) {
            const int i = pending[--count];
            for (int k = 0; k < n; ++k) {
                const bool joined =
                    network.YComplex[i][k].re != 0.0 || network.YComplex[i][k].im != 0.0;
                if (k != i && joined && group[k] < 0) {
                    group[k] = start;
                    pending[count++] = k;
                }
            }
        }
    }
    std::optional<int> slack;
    bool grounded[MaxNodes] = {}; // by group: it holds an Ed node
    for (int i = 0; i < n; ++i) {
        if (network.NodeTypes[i] == Ed) {
            grounded[group[i]] = true;
            if (!slack) {
                slack = i;
            }
        }
    }
    if (!slack) {
        return std::nullopt;
    }
    CutOffNodes cutOff{{}, *slack};
    for (int i = 0; i < n; ++i) {
        if (!grounded[group[i]]) {
            cutOff.nodes.push_back(i);
        }
    }
    if (cutOff.nodes.empty()) {
        return std::nullopt;
    }
    return cutOff;
}

std::string CutOffMessage(const CutOffNodes& cutOff) {
    const std::string slack = std::to_string(cutOff.slack + 1);
    if (cutOff.nodes.size() == 1) {
        return "Il nodo " + std::to_string(cutOff.nodes[0] + 1) +
               " non \xC3\xA8 collegato al nodo di saldo " + slack + ".";
    }
    std::string list;
    for (int node : cutOff.nodes) {
        list += (list.empty() ? "" : ", ") + std::to_string(node + 1);
    }
    return "I nodi " + list + " non sono collegati al nodo di saldo " + slack + ".";
}

} // namespace nodewise
